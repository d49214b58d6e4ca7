#include "buffers/path_parts.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(PathParts, ExtensionIsTheTextFromTheLastDotOfTheName) {
    PathParts p = splitPath("/home/u/v1.2/image.tar.HEX");
    EXPECT_EQ(p.dir, "/home/u/v1.2/");
    EXPECT_EQ(p.name, "image.tar");
    EXPECT_EQ(p.ext, ".HEX");
    EXPECT_TRUE(extensionIs(p, ".HEX"));
    EXPECT_EQ(joinPath(p), "/home/u/v1.2/image.tar.HEX");
    EXPECT_EQ(withExtension(p, ".eep"), "/home/u/v1.2/image.tar.eep");

    p = splitPath("/home/u/v1.2/image"); // a dot in the folder is no extension
    EXPECT_EQ(p.ext, "");
    EXPECT_FALSE(extensionIs(p, ".BIN"));
    EXPECT_EQ(withExtension(p, ".bin"), "/home/u/v1.2/image.bin");

    p = splitPath(".hex"); // a bare name that is all extension
    EXPECT_EQ(p.dir, "");
    EXPECT_EQ(p.name, "");
    EXPECT_TRUE(extensionIs(p, ".HEX"));
    EXPECT_FALSE(extensionIs(splitPath("a.hexx"), ".HEX"));

    EXPECT_EQ(fileNamePart("/a/b/c.bin"), "c.bin");
    EXPECT_EQ(fileNamePart("c.bin"), "c.bin");
    EXPECT_EQ(fileNamePart(""), "");
    const std::string longPath = "/" + std::string(200, 'x') + "/" + std::string(150, 'y') + ".bin";
    EXPECT_EQ(joinPath(splitPath(longPath)), longPath);
    EXPECT_EQ(fileNamePart(longPath).size(), 154u);
}

} // namespace
} // namespace kestro
