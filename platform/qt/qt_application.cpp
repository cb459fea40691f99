#include "platform/qt/qt_application.h"

#include <QApplication>
#include <QThread>
#include <atomic>

#include <dlfcn.h>
#include <unistd.h>

#include "platform/display.h"

namespace tarvenish {
namespace {
std::atomic<bool> g_started{false};

// Never destroyed: the host may still be running Qt when the library's static objects go, and a second
// QApplication cannot be made after one has been destroyed in some platforms' plugins.
QApplication* ownApplication() {
    static int argc = 1;
    static char name[] = "TARVENISH";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

// From now on Qt holds this module's window classes and may call into its code: a host that unloads the
// library regardless of DllCanUnloadNow must not pull the code from under it.
void stayLoaded() noexcept {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&stayLoaded), &info) == 0 || info.dli_fname == nullptr) return;
    (void)::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}
}  // namespace

bool windowsOnThisThread() noexcept {
    try {
        QCoreApplication* existing = QCoreApplication::instance();
        if (existing == nullptr) {
            // Qt's window system wants its application on the process's first thread.
            if (::gettid() != ::getpid() || !displayReachable()) return false;
            existing = ownApplication();
        }
        if (qobject_cast<QApplication*>(existing) == nullptr) return false;
        if (existing->thread() != QThread::currentThread()) return false;
        if (!g_started.exchange(true)) stayLoaded();
        return true;
    } catch (...) {
        return false;
    }
}

bool qtStarted() noexcept {
    return g_started;
}

}  // namespace tarvenish
