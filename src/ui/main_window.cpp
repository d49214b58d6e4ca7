#include "ui/main_window.h"

#include "shell/tmyform.h"
#include "ui/grid_model.h"
#include "ui/qt_host.h"
#include "ui/socket_picture.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QResizeEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

namespace kestro {

namespace {

QColor toQColor(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

QFont toQFont(const FontStyle& f) {
    QFont font(QString::fromStdString(f.family));
    // Fallbacks for machines without the original faces.
    if (f.family == "Courier")
        font.setFamilies({"Courier", "Liberation Mono", "DejaVu Sans Mono"});
    else if (f.family == "Comic Sans MS")
        font.setFamilies({"Comic Sans MS", "Comic Neue", "DejaVu Sans"});
    font.setPixelSize(f.pixelSize);
    font.setKerning(false); // kerned "f." hides the dot of "ProgBuf.bin" in Comic Neue
    return font;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Rows as tight as the fuse lists were drawn for: all eight ATmega fuse bits in 110
// pixels, about two rows in the small PIC18 lists.
constexpr int kCheckListRowPx = 13;

} // namespace

MainWindow::MainWindow(TMyForm& form, QtHost& host) : form_(form), host_(host) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setObjectName("MyForm");
    client_ = new QWidget(this);
    const Rect& r = form_.model.window.rect;
    // The design size is the smallest; a larger window gives the grid the room.
    client_->setMinimumSize(r.width, r.height);
    client_->resize(r.width, r.height);
    client_->installEventFilter(this);
    client_->setFont(toQFont({"Courier", 13, kBlack}));
    setCentralWidget(client_);
    buildWidgets();
    buildMenus();
    move(r.left, r.top);
    connect(&host_.timer(), &QTimer::timeout, this, [this] {
        form_.ImgTimerTimer();
        afterHandler();
    });
    // Enter presses the form's default button, when it names one that can be pressed.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] {
            const int i = form_.model.defaultButton;
            if (i < 0) return;
            const Control& c = form_.model.controls[static_cast<size_t>(i)];
            if (!c.visible || !c.enabled) return;
            form_.clickHandler(c.name + "Click");
            afterHandler();
        });
    }
    // Keys reach the Cancel button's handler, and Escape during an operation wherever
    // the focus is.
    qApp->installEventFilter(this);
    setAcceptDrops(true);
    syncFromModel();
    resize(minimumSizeHint()); // starts at the design size
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWidgets() {
    const auto& controls = form_.model.controls;
    widgets_.resize(controls.size(), nullptr);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        QWidget* parent = c.parent < 0 ? client_ : widgets_[static_cast<size_t>(c.parent)];
        QWidget* w = nullptr;
        switch (c.kind) {
        case ControlKind::Panel: {
            auto* f = new QFrame(parent);
            f->setFrameShape(QFrame::Panel);
            f->setFrameShadow(QFrame::Raised);
            f->setAutoFillBackground(true);
            w = f;
            break;
        }
        case ControlKind::Label: w = new QLabel(parent); break;
        case ControlKind::Button: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            const std::string name = c.name;
            connect(b, &QPushButton::clicked, this, [this, name] {
                form_.clickHandler(name + "Click");
                afterHandler();
            });
            w = b;
            break;
        }
        case ControlKind::GroupBox: w = new QGroupBox(parent); break;
        case ControlKind::ComboBox: {
            auto* cb = new QComboBox(parent);
            connect(cb, &QComboBox::currentIndexChanged, this, [this, i](int idx) {
                if (!syncing_) form_.model.controls[i].itemIndex = idx;
            });
            w = cb;
            break;
        }
        case ControlKind::CheckBox: {
            auto* cb = new QCheckBox(parent);
            connect(cb, &QCheckBox::toggled, this, [this, i](bool on) {
                if (!syncing_) form_.model.controls[i].checked = on;
            });
            w = cb;
            break;
        }
        case ControlKind::CheckListBox: {
            auto* lw = new QListWidget(parent);
            connect(lw, &QListWidget::itemChanged, this, [this, i, lw](QListWidgetItem* item) {
                if (syncing_) return;
                auto& checked = form_.model.controls[i].itemChecked;
                const int row = lw->row(item);
                if (row >= 0 && static_cast<size_t>(row) < checked.size())
                    checked[static_cast<size_t>(row)] = item->checkState() == Qt::Checked;
            });
            w = lw;
            break;
        }
        case ControlKind::Edit: {
            auto* e = new QLineEdit(parent);
            connect(e, &QLineEdit::textEdited, this, [this, i](const QString& t) {
                form_.model.controls[i].caption = t.toStdString();
            });
            w = e;
            break;
        }
        case ControlKind::Image: w = new SocketPicture(c.name, parent); break;
        case ControlKind::Grid: {
            gridModel_ = new GridModel(form_);
            grid_ = new HexGridView(form_, gridModel_, parent);
            grid_->horizontalHeader()->setFont(toQFont(c.font));
            w = grid_;
            break;
        }
        case ControlKind::Gauge: w = new QProgressBar(parent); break;
        }
        w->setObjectName(qs(c.name));
        w->setFont(toQFont(c.font));
        widgets_[i] = w;
    }
    shown_.assign(controls.size(), Control{});
    for (size_t i = 0; i < controls.size(); ++i) {
        shown_[i].visible = !controls[i].visible; // force the first sync
        syncControl(i);
    }
}

void MainWindow::buildMenus() {
    const auto& menus = form_.model.menus;
    actions_.assign(menus.size(), nullptr);
    menus_.assign(menus.size(), nullptr);
    for (size_t i = 0; i < menus.size(); ++i) {
        const MenuItem& m = menus[i];
        const bool isMenu = std::any_of(menus.begin(), menus.end(), [i](const MenuItem& o) {
            return o.parent == static_cast<int>(i);
        });
        if (isMenu) {
            QMenu* parentMenu = m.parent < 0 ? nullptr : menus_[static_cast<size_t>(m.parent)];
            QMenu* menu = parentMenu ? parentMenu->addMenu(qs(m.caption))
                                     : menuBar()->addMenu(qs(m.caption));
            menu->setObjectName(qs(m.name));
            menus_[i] = menu;
            actions_[i] = menu->menuAction();
            actions_[i]->setObjectName(qs(m.name));
            continue;
        }
        QAction* a = nullptr;
        if (m.parent < 0) a = menuBar()->addAction(qs(m.caption));
        else if (m.separator) a = menus_[static_cast<size_t>(m.parent)]->addSeparator();
        else a = menus_[static_cast<size_t>(m.parent)]->addAction(qs(m.caption));
        if (!m.separator) {
            a->setObjectName(qs(m.name));
            if (!m.shortcut.empty()) a->setShortcut(QKeySequence(qs(m.shortcut)));
            const int index = static_cast<int>(i);
            connect(a, &QAction::triggered, this, [this, index] {
                form_.menuClick(index);
                afterHandler();
            });
        }
        actions_[i] = a;
    }
    // Start from the opposite of every state so the first sync writes them all.
    shownMenus_ = menus;
    for (auto& m : shownMenus_) {
        m.caption.clear();
        m.enabled = !m.enabled;
        m.visible = !m.visible;
        m.checked = !m.checked;
    }
    syncMenus();
}

QWidget* MainWindow::widgetFor(const std::string& name) const {
    const int i = form_.model.controlIndex(name);
    return i < 0 ? nullptr : widgets_[static_cast<size_t>(i)];
}

QAction* MainWindow::actionFor(const std::string& name) const {
    const int i = form_.model.menuIndex(name);
    return i < 0 ? nullptr : actions_[static_cast<size_t>(i)];
}

void MainWindow::afterHandler() {
    if (form_.shutDownDone()) return;
    syncFromModel();
    // A close asked for while an operation ran is carried out now that it has ended.
    if (form_.closeRequested() && !form_.operationRunning()) close();
}

void MainWindow::syncFromModel() {
    syncing_ = true;
    if (form_.model.window.caption != shownCaption_) {
        shownCaption_ = form_.model.window.caption;
        setWindowTitle(qs(shownCaption_));
    }
    for (size_t i = 0; i < widgets_.size(); ++i) syncControl(i);
    syncTabOrder();
    syncMenus();
    const Control& g = form_.model.control("ProgGrid");
    if (form_.model.gridRevision != shownGridRevision_ || g.rowCount != shownGridRows_) {
        shownGridRevision_ = form_.model.gridRevision;
        shownGridRows_ = g.rowCount;
        gridModel_->refresh();
        grid_->horizontalHeader()->viewport()->update();
    }
    if (form_.model.focusRequests != shownFocusRequests_) {
        shownFocusRequests_ = form_.model.focusRequests;
        if (const int f = form_.model.focus; f >= 0) {
            QWidget* w = widgets_[static_cast<size_t>(f)];
            w->setFocus();
            // A field given the focus has its text selected, so typing replaces it.
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
        }
    }
    syncing_ = false;
}

void MainWindow::syncTabOrder() {
    std::vector<int> order = form_.model.tabOrder();
    if (order == shownTabOrder_) return;
    shownTabOrder_ = std::move(order);
    for (size_t k = 1; k < shownTabOrder_.size(); ++k)
        QWidget::setTabOrder(widgets_[static_cast<size_t>(shownTabOrder_[k - 1])],
                             widgets_[static_cast<size_t>(shownTabOrder_[k])]);
}

void MainWindow::syncControl(size_t i) {
    const Control& c = form_.model.controls[i];
    Control& s = shown_[i];
    QWidget* w = widgets_[i];
    if (const Rect r = form_.model.placed(i); QRect(r.left, r.top, r.width, r.height) != w->geometry())
        w->setGeometry(r.left, r.top, r.width, r.height);
    if (c.enabled != s.enabled) w->setEnabled(c.enabled);
    if (c.color != s.color || c.font.color != s.font.color || c.barColor != s.barColor) {
        QPalette p = w->palette();
        if (c.color != kNoColor) {
            p.setColor(QPalette::Window, toQColor(c.color));
            p.setColor(QPalette::Base, toQColor(c.color));
        }
        p.setColor(QPalette::WindowText, toQColor(c.font.color));
        if (c.barColor != kNoColor) p.setColor(QPalette::Highlight, toQColor(c.barColor));
        w->setPalette(p);
        if (c.color != kNoColor) w->setAutoFillBackground(true);
    }
    if (c.font.pixelSize != s.font.pixelSize || c.font.family != s.font.family)
        w->setFont(toQFont(c.font));
    const bool textChanged = c.caption != s.caption;
    switch (c.kind) {
    case ControlKind::Label: {
        auto* l = static_cast<QLabel*>(w);
        if (textChanged) l->setText(qs(c.caption));
        if (c.centred != s.centred) l->setAlignment(c.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        break;
    }
    case ControlKind::Button:
        if (textChanged) static_cast<QPushButton*>(w)->setText(qs(c.caption));
        break;
    case ControlKind::GroupBox:
        if (textChanged) static_cast<QGroupBox*>(w)->setTitle(qs(c.caption));
        break;
    case ControlKind::CheckBox: {
        auto* cb = static_cast<QCheckBox*>(w);
        if (textChanged) cb->setText(qs(c.caption));
        if (cb->isChecked() != c.checked) cb->setChecked(c.checked);
        break;
    }
    case ControlKind::Edit: {
        auto* e = static_cast<QLineEdit*>(w);
        // The limit first: a longer ID must not be cut to the previous layout's length.
        if (c.maxLength != s.maxLength) e->setMaxLength(c.maxLength > 0 ? c.maxLength : 32767);
        if (e->text().toStdString() != c.caption) e->setText(qs(c.caption));
        break;
    }
    case ControlKind::ComboBox: {
        auto* cb = static_cast<QComboBox*>(w);
        if (c.items != s.items) {
            cb->clear();
            for (const auto& t : c.items) cb->addItem(qs(t));
        }
        if (cb->currentIndex() != c.itemIndex) cb->setCurrentIndex(c.itemIndex);
        break;
    }
    case ControlKind::CheckListBox: {
        auto* lw = static_cast<QListWidget*>(w);
        if (c.items != s.items) {
            lw->clear();
            for (const auto& t : c.items) {
                auto* item = new QListWidgetItem(qs(t), lw);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                item->setSizeHint(QSize(0, kCheckListRowPx));
            }
        }
        for (int r = 0; r < lw->count(); ++r) {
            const bool on = static_cast<size_t>(r) < c.itemChecked.size() && c.itemChecked[static_cast<size_t>(r)];
            const Qt::CheckState want = on ? Qt::Checked : Qt::Unchecked;
            if (lw->item(r)->checkState() != want) lw->item(r)->setCheckState(want);
        }
        break;
    }
    case ControlKind::Gauge: {
        auto* bar = static_cast<QProgressBar*>(w);
        if (bar->maximum() != c.maxValue) bar->setMaximum(c.maxValue);
        if (bar->value() != c.position) bar->setValue(c.position);
        bar->setTextVisible(false);
        break;
    }
    case ControlKind::Panel:
    case ControlKind::Image:
    case ControlKind::Grid: break;
    }
    if (c.hint != s.hint) w->setToolTip(qs(c.hint));
    if (c.visible != s.visible) w->setVisible(c.visible);
    s = c;
}

void MainWindow::syncMenus() {
    const auto& menus = form_.model.menus;
    for (size_t i = 0; i < menus.size(); ++i) {
        const MenuItem& m = menus[i];
        MenuItem& s = shownMenus_[i];
        QAction* a = actions_[i];
        if (!a) continue;
        if (m.caption != s.caption && !m.separator) a->setText(qs(m.caption));
        if (m.enabled != s.enabled) a->setEnabled(m.enabled);
        if (m.visible != s.visible) a->setVisible(m.visible);
        if (m.checked != s.checked) {
            a->setCheckable(m.checked);
            a->setChecked(m.checked);
        }
        s = m;
    }
}

void MainWindow::openFile(const std::string& path) {
    form_.openFile(path);
    afterHandler();
}

namespace {
// The first local file a drag carries; empty when it carries none.
QString droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}
} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (!droppedFile(e->mimeData()).isEmpty() && form_.acceptsDrop()) e->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e) {
    if (!droppedFile(e->mimeData()).isEmpty() && form_.acceptsDrop()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
    const QString file = droppedFile(e->mimeData());
    if (file.isEmpty() || !form_.FileDropped(file.toStdString())) return;
    e->acceptProposedAction();
    afterHandler();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // Only the user's close (the title bar's button) is asked about; a close the
    // program makes itself, after a signal or once a stopped operation has ended, is not.
    if (!form_.FormCloseQuery(e->spontaneous())) {
        e->ignore();
        return;
    }
    form_.FormClose();
    e->accept();
}

void MainWindow::closeOnRequest() {
    form_.requestClose();
    host_.dismissDialogs();
    QTimer::singleShot(0, this, [this] {
        if (started_ && !form_.operationRunning()) close();
    });
}

bool MainWindow::eventFilter(QObject* obj, QEvent* e) {
    if (obj == client_ && e->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent*>(e)->size();
        form_.model.resizeClient(size.width(), size.height());
        if (!syncing_) syncFromModel();
        return false;
    }
    if (e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(obj, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (obj == widgetFor("ProcCancel")) {
        const int key = k->key() == Qt::Key_Escape ? 27 : k->key();
        form_.ProcCancelKeyPress(key);
        if (key == 27) return true; // swallowed
    } else if (k->key() == Qt::Key_Escape && form_.operationRunning() &&
               !QApplication::activeModalWidget() && obj->isWidgetType() &&
               static_cast<QWidget*>(obj)->window() == this) {
        // Escape while an operation without a Cancel button runs: the chain stops once
        // that operation has ended.
        form_.ProcCancelKeyPress(27);
        return true;
    }
    return QMainWindow::eventFilter(obj, e);
}

} // namespace kestro
