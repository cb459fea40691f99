#pragma once
// What the Qt controls share: text conversion, focus, guarded event handlers and the grid's alignment codes.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "platform/qt/qt_controls.h"

namespace tarvenish::qt_support {

[[nodiscard]] inline QString toQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline std::string fromQt(const QString& text) {
    return text.toStdString();
}

// The window's focus widget is the control that last took the focus, even while the window is inactive.
[[nodiscard]] inline bool holdsFocus(const QWidget* widget) {
    if (widget == nullptr) return false;
    return widget->hasFocus() || widget->window()->focusWidget() == widget;
}

inline void focus(QWidget* widget) {
    if (widget != nullptr) widget->setFocus(Qt::OtherFocusReason);
}

// Runs a handler raised from Qt's event loop; its exception goes to the sink, never through the loop.
template <typename F>
void raiseGuarded(const HandlerFailureSink& sink, F&& handler) {
    try {
        handler();
    } catch (...) {
        if (sink) {
            sink(std::current_exception());
        } else {
            try {
                throw;
            } catch (const std::exception& e) {
                qCritical("event handler failed: %s", e.what());
            } catch (...) {
                qCritical("event handler failed");
            }
        }
    }
}

// Deletes a widget its parent has not deleted yet.
template <typename W>
void deleteIfAlive(QPointer<W>& widget) {
    delete widget.data();
}

// Codes 0 to 8 read left/centre/right by threes, top/centre/bottom within each three; others are general.
[[nodiscard]] inline Qt::Alignment alignmentOf(std::int16_t code) {
    if (code < 0 || code > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[code / 3] | vertical[code % 3];
}

}  // namespace tarvenish::qt_support
