#pragma once
// A key hook for widget tests: reports the keys Qt delivers in this application, as libVantrel.so
// does where it cannot read the input devices: after the event, posted to `window`. Presses
// always; releases too when asked (the macro recorder records them, the key map panel does not
// take them).

#include "hook/KeyTranslation.h"
#include "hook/Vantrel.h"
#include "platform/core/KeyHook.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace orvane::test {

class QtKeysHook final : public QObject, public platform::KeyHook {
public:
    explicit QtKeysHook(bool releases = false) : releases_(releases) {}

    QPointer<QObject> window;
    bool installed = false;

    bool install(int) override
    {
        qApp->installEventFilter(this);
        installed = true;
        return true;
    }
    void remove() override
    {
        qApp->removeEventFilter(this);
        installed = false;
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override
    {
        const bool release = e->type() == QEvent::KeyRelease;
        if ((e->type() != QEvent::KeyPress && !(releases_ && release)) || !window)
            return false;
        auto* key = static_cast<QKeyEvent*>(e);
        // One key passes the focus widget and its parents: it is reported once.
        const bool again = key == last_ && receiver != lastReceiver_ && receiver->isWidgetType() && lastReceiver_ &&
            static_cast<QWidget*>(receiver)->isAncestorOf(lastReceiver_);
        last_ = key;
        lastReceiver_ = receiver->isWidgetType() ? static_cast<QWidget*>(receiver) : nullptr;
        if (!again && !key->isAutoRepeat())
            if (const uint8_t vk = hook::vkFromQtKey(key->key(), false))
                QCoreApplication::postEvent(window, new KeyHookEvent(vk, release));
        return false;
    }

private:
    bool releases_;
    const QKeyEvent* last_ = nullptr;
    QPointer<QWidget> lastReceiver_;
};

}   // namespace orvane::test
