// A host with its own QApplication that loads the component library and plays the user of the adjustment
// dialog the library shows: from a timer of the host's event loop, as the dialog's own event loop runs it.
//
//   tarvenish_qt_test_host ACCOUNT_SET ok-after-edit|cancel
//
// Prints "dialogs: N", "edited: TEXT" (the money typed into the first line), "boxes: N" and the answer of
// JustAccount; exits 0 when it answered true, 1 when false, 2 when the library could not be used.

#include <dlfcn.h>
#include <tarvenish/automation.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <string>

namespace {

constexpr int kMoneyColumn = 71;

QPushButton* buttonCaptioned(QWidget* window, const char* caption) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        // The caption without its access key ("&O 确定").
        QString text = button->text();
        if (text.startsWith(QLatin1Char('&')) && text.size() > 3) text = text.mid(3);
        if (text == QString::fromUtf8(caption)) return button;
    }
    return nullptr;
}

// Types one more than the first line's money into its money cell, as a user does; returns the text typed.
QString raiseFirstLineMoney(QDialog& dialog) {
    auto* view = dialog.findChild<QAbstractItemView*>();
    if (view == nullptr) return {};
    const QModelIndex cell = view->model()->index(1, kMoneyColumn);
    const QString typed = QString::number(cell.data().toString().toDouble() + 1.0, 'f', 2);
    view->setCurrentIndex(cell);
    view->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(cell));
    if (editor == nullptr) return {};
    editor->setText(typed);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    QCoreApplication::processEvents();
    return typed;
}

struct User {
    bool confirm = false;
    int dialogs = 0;
    int boxes = 0;
    QString edited;

    // Looks at whatever is modal now, acts on it, and looks again on the next turn of the event loop.
    void act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            ++boxes;
            std::fprintf(stderr, "box: %s\n", box->text().toUtf8().constData());
            if (box->defaultButton() != nullptr) {
                box->defaultButton()->click();
            } else {
                box->close();
            }
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            ++dialogs;
            if (confirm) edited = raiseFirstLineMoney(*dialog);
            QPushButton* button = buttonCaptioned(dialog, confirm ? "确定" : "取消");
            if (button != nullptr) button->click();
            // A dialog that refused its button is closed as by its close box, so that the run can end.
            if (QApplication::activeModalWidget() == dialog) dialog->close();
        }
        QTimer::singleShot(10, [this] { act(); });
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ACCOUNT_SET ok-after-edit|cancel\n", argv[0]);
        return 2;
    }
    void* library = dlopen(TARVENISH_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto getClassObject = reinterpret_cast<TvDllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<TvDllCanUnloadNowFn>(dlsym(library, "DllCanUnloadNow"));
    const TvGuid clsid = TV_CLSID_JustAccount;
    const TvGuid factoryIid = TV_IID_IClassFactory;
    const TvGuid objectIid = TV_IID_JustAccount;
    TvClassFactory* factory = nullptr;
    TvDispatch* object = nullptr;
    TvConnection* connection = nullptr;
    const std::string connectionString = std::string("Data Source=") + argv[1] + ";";
    if (getClassObject(&clsid, &factoryIid, reinterpret_cast<void**>(&factory)) != TV_S_OK ||
        factory->lpVtbl->CreateInstance(factory, nullptr, &objectIid, reinterpret_cast<void**>(&object)) !=
            TV_S_OK ||
        factory->lpVtbl->CreateConnection(factory, connectionString.c_str(), &connection) != TV_S_OK) {
        std::fprintf(stderr, "the library made no object\n");
        return 2;
    }

    User user;
    user.confirm = std::string(argv[2]) == "ok-after-edit";
    QTimer::singleShot(0, [&user] { user.act(); });

    TvVariant args[2] = {};
    args[0].vt = TV_VT_I2;
    args[0].u.i2 = 1;
    args[1].vt = TV_VT_CONNECTION;
    args[1].u.conn = connection;
    TvVariant result = {};
    const TvResult code =
        object->lpVtbl->Invoke(object, TV_DISPID_JustAccount, args, 2, &result, nullptr, nullptr);
    std::printf("dialogs: %d\nedited: %s\nboxes: %d\n", user.dialogs, user.edited.toUtf8().constData(),
                user.boxes);
    std::printf("JustAccount: %s\n", code != TV_S_OK ? "failed" : result.u.boolean ? "true" : "false");

    connection->lpVtbl->Release(connection);
    object->lpVtbl->Release(object);
    factory->lpVtbl->Release(factory);
    std::printf("DllCanUnloadNow: %s\n", canUnloadNow() == TV_S_OK ? "S_OK" : "S_FALSE");
    if (canUnloadNow() == TV_S_OK) dlclose(library);
    return code != TV_S_OK ? 2 : result.u.boolean ? 0 : 1;
}
