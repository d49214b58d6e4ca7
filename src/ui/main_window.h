#pragma once
// ui/ owns the Qt widgets: the window renders the form model and forwards input; no
// rule of the program lives here.

#include "shell/form_model.h"

#include <QMainWindow>
#include <vector>

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace kestro {

class TMyForm;
class QtHost;
class GridModel;

// Renders the form model and forwards user input to the core. Holds no rules.
class MainWindow : public QMainWindow {
public:
    MainWindow(TMyForm& form, QtHost& host);
    ~MainWindow() override;

    // Copies the model into the widgets (only what changed).
    void syncFromModel();
    QWidget* widgetFor(const std::string& name) const;
    QAction* actionFor(const std::string& name) const;
    // A signal asked the program to end: dialogs go, a running operation stops at its
    // next clean point, and the window closes with the normal shut-down once free.
    // Until `started` the start-up sequence runs and its caller closes.
    void closeOnRequest();
    void setStarted() { started_ = true; }
    // A file named on the command line: opened as File > Open opens it.
    void openFile(const std::string& path);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildWidgets();
    void buildMenus();
    void syncControl(size_t i);
    void syncMenus();
    void syncTabOrder();
    void afterHandler();

    TMyForm& form_;
    QtHost& host_;
    QWidget* client_ = nullptr;
    std::vector<QWidget*> widgets_;
    std::vector<Control> shown_; // what the widgets show now
    std::vector<QAction*> actions_;
    std::vector<QMenu*> menus_;
    std::vector<MenuItem> shownMenus_;
    std::vector<int> shownTabOrder_;
    GridModel* gridModel_ = nullptr;
    QTableView* grid_ = nullptr;
    uint64_t shownGridRevision_ = ~0ull;
    int shownGridRows_ = -1;
    uint64_t shownFocusRequests_ = 0;
    std::string shownCaption_;
    bool syncing_ = false;
    bool started_ = false;
};

} // namespace kestro
