#include "ui/qt_host.h"

#include "ui/main_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QThread>

#include <algorithm>

namespace kestro {

QtHost::QtHost() {
    clock_.start();
    timer_.setSingleShot(true);
}

uint64_t QtHost::nowMs() { return static_cast<uint64_t>(clock_.elapsed()); }

void QtHost::sleepMs(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

void QtHost::beep() { QApplication::beep(); }

void QtHost::processMessages() {
    if (window_) window_->syncFromModel();
    QCoreApplication::processEvents();
}

void QtHost::wait(int ms, const std::function<bool()>& stop) {
    constexpr qint64 kSliceMs = 10; // how soon a close request ends the wait
    const qint64 end = clock_.elapsed() + ms;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (stop()) return;
        const qint64 left = end - clock_.elapsed();
        if (left <= 0) return;
        QThread::msleep(static_cast<unsigned long>(std::min(left, kSliceMs)));
    }
}

void QtHost::dismissDialogs() {
    dismissing_ = true;
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
}

void QtHost::repaint() {
    if (!window_) return;
    window_->syncFromModel();
    // Let the window system's exposes and repaints through (a menu that just closed
    // must not stay on screen while an operation blocks), but no user input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window_->repaint();
}

MsgAnswer QtHost::messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                             MsgButtons buttons) {
    if (dismissing_) return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    if (window_) window_->syncFromModel();
    QMessageBox box(window_);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::None: break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int r = box.exec();
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

std::optional<std::string> QtHost::openFileDialog(const std::string& filter,
                                                  const std::string& initialDir) {
    if (dismissing_) return std::nullopt;
    const QString f = QFileDialog::getOpenFileName(window_, QString(), QString::fromStdString(initialDir),
                                                   QString::fromStdString(filter));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtHost::saveFileDialog(const std::string& filter,
                                                  const std::string& initialDir,
                                                  const std::string& fileName) {
    if (dismissing_) return std::nullopt;
    QString start = QString::fromStdString(initialDir);
    if (!fileName.empty()) start = start.isEmpty() ? QString::fromStdString(fileName)
                                                   : start + '/' + QString::fromStdString(fileName);
    const QString f = QFileDialog::getSaveFileName(window_, QString(), start,
                                                   QString::fromStdString(filter));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<int> QtHost::chooseItem(const std::string& caption, const std::string& label,
                                      const std::vector<std::string>& items, int current) {
    if (dismissing_ || items.empty()) return std::nullopt;
    if (window_) window_->syncFromModel();
    QStringList list;
    for (const auto& i : items) list << QString::fromStdString(i);
    QInputDialog dialog(window_);
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(label));
    dialog.setComboBoxItems(list);
    dialog.setComboBoxEditable(false);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    if (current >= 0 && current < list.size()) dialog.setTextValue(list[current]);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const int chosen = static_cast<int>(list.indexOf(dialog.textValue()));
    if (chosen < 0) return std::nullopt;
    return chosen;
}

void QtHost::startTimer(int ms) { timer_.start(ms); }

void QtHost::stopTimer() { timer_.stop(); }

void QtHost::terminate() { QCoreApplication::quit(); }

} // namespace kestro
