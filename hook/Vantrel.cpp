#include "hook/Vantrel.h"

#include "hook/InputReader.h"
#include "hook/KeyTranslation.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <optional>
#include <utility>

Q_LOGGING_CATEGORY(lcHook, "orvane.hook", QtWarningMsg)

KeyHookEvent::KeyHookEvent(uint8_t vk, bool release)
    : QEvent(WM_KEYHOOK), m_wParam(vk), m_lParam(release ? kReleaseFlag : 0u)
{}

KeyHookEvent::~KeyHookEvent() = default;

namespace orvane::hook {
namespace {

constexpr char kDeviceFolder[] = "/dev/input";
constexpr char kInputDirVariable[] = "VANTREL_INPUT_DIR";
constexpr unsigned kX11ScanCodeOffset = 8;   // native scan codes are evdev codes + 8
// How long the fallback holds a release back to see whether the press of an auto-repeat pair
// follows (the X server sends both at once; the press may arrive in the next read).
constexpr int kRepeatPairWaitMs = 10;

// Carries a key from a source to the GUI thread, tagged with the installation it belongs to.
class RawKeyEvent : public QEvent {
public:
    static constexpr Type kType = Type(QEvent::User + 0x6F2);
    RawKeyEvent(uint64_t generation, uint8_t vk, bool release)
        : QEvent(kType), generation(generation), vk(vk), release(release)
    {}
    uint64_t generation;
    uint8_t vk;
    bool release;
};

// Lives on the GUI thread as a child of the application object. It owns the reader, installs
// the fallback filter, and delivers keys to the window while their installation is current.
class Dispatcher : public QObject {
public:
    explicit Dispatcher(QObject* parent) : QObject(parent)
    {
        m_releaseTimer.setSingleShot(true);
        m_releaseTimer.setInterval(kRepeatPairWaitMs);
        connect(&m_releaseTimer, &QTimer::timeout, this, &Dispatcher::flushRelease);
    }
    ~Dispatcher() override { remove(); }

    bool install(QObject* window, int mode);
    void remove();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void post(uint8_t vk, bool release)
    {
        QCoreApplication::postEvent(this, new RawKeyEvent(m_generation, vk, release));
    }
    bool isSameDelivery(QObject* receiver, const QKeyEvent* key) const;
    void observeKey(QObject* receiver, const QKeyEvent* key);

    void holdRelease(uint8_t vk, quint64 timestamp);
    void flushRelease();

    // A release of the fallback not yet passed on: X reports a held key as release/press pairs,
    // and Qt does not always mark them as auto-repeated; a pair has one timestamp.
    struct HeldRelease {
        uint8_t vk;
        quint64 timestamp;
    };
    std::optional<HeldRelease> m_heldRelease;
    QTimer m_releaseTimer;

    QPointer<QObject> m_window;
    int m_mode = 0;
    uint64_t m_generation = 0;   // 0 = not installed
    uint64_t m_lastGeneration = 0;
    std::unique_ptr<InputReader> m_reader;
    bool m_filtering = false;
    // The key event last seen by the fallback filter, to see the same event again as it is
    // forwarded from the window to the focus widget and propagated to its parents.
    const QKeyEvent* m_lastKey = nullptr;
    QPointer<QObject> m_lastReceiver;
};

bool Dispatcher::install(QObject* window, int mode)
{
    remove();
    const uint64_t generation = ++m_lastGeneration;
    auto sink = [this, generation](uint8_t vk, bool release) {
        QCoreApplication::postEvent(this, new RawKeyEvent(generation, vk, release));
    };
    if (const char* dir = std::getenv(kInputDirVariable); dir && *dir) {
        m_reader = InputReader::openFiles(dir, mode, sink);
        if (!m_reader) {
            qCWarning(lcHook, "cannot watch the input folder %s", dir);
            return false;
        }
    } else {
        m_reader = InputReader::openDevices(kDeviceFolder, mode, sink);
        if (!m_reader) {
            qCDebug(lcHook, "no readable keyboard in %s: capturing this application's keys", kDeviceFolder);
            QCoreApplication::instance()->installEventFilter(this);
            m_filtering = true;
        }
    }
    m_window = window;
    m_mode = mode;
    m_generation = generation;
    return true;
}

void Dispatcher::remove()
{
    m_generation = 0;
    m_reader.reset();   // joins the reader thread
    if (m_filtering) {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
        m_filtering = false;
    }
    m_window = nullptr;
    m_lastKey = nullptr;
    m_heldRelease.reset();
    m_releaseTimer.stop();
}

void Dispatcher::holdRelease(uint8_t vk, quint64 timestamp)
{
    flushRelease();
    m_heldRelease = HeldRelease{vk, timestamp};
    m_releaseTimer.start();
}

// Passes a held release on (mode 1; mode 0 reports no releases but still pairs them).
void Dispatcher::flushRelease()
{
    m_releaseTimer.stop();
    if (const std::optional<HeldRelease> held = std::exchange(m_heldRelease, std::nullopt); held && m_mode != 0)
        post(held->vk, true);
}

bool Dispatcher::event(QEvent* e)
{
    if (e->type() != RawKeyEvent::kType)
        return QObject::event(e);
    const auto* raw = static_cast<const RawKeyEvent*>(e);
    if (raw->generation == m_generation && m_generation != 0 && m_window) {
        KeyHookEvent key(raw->vk, raw->release);
        QCoreApplication::sendEvent(m_window, &key);
    }
    return true;
}

bool Dispatcher::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        observeKey(watched, static_cast<const QKeyEvent*>(e));
    return false;   // observe only: the receivers decide what to do with the key
}

// Qt hands one key event first to the window, then to the focus widget, then up its parents
// while nobody accepts it; the application filter sees every step.
bool Dispatcher::isSameDelivery(QObject* receiver, const QKeyEvent* key) const
{
    if (key != m_lastKey || !m_lastReceiver || receiver == m_lastReceiver || !receiver->isWidgetType())
        return false;
    if (qobject_cast<QWindow*>(m_lastReceiver.data()))
        return true;
    auto* last = qobject_cast<QWidget*>(m_lastReceiver.data());
    return last && static_cast<QWidget*>(receiver)->isAncestorOf(last);
}

void Dispatcher::observeKey(QObject* receiver, const QKeyEvent* key)
{
    const bool duplicate = isSameDelivery(receiver, key);
    m_lastKey = key;
    m_lastReceiver = receiver;
    if (duplicate)
        return;
    const bool release = key->type() == QEvent::KeyRelease;
    if (key->isAutoRepeat() && (release || m_mode == 0))
        return;   // a held key: Qt reports release/press pairs, only the presses are repeats
    uint8_t vk = 0;
    if (const quint32 scan = key->nativeScanCode(); scan > kX11ScanCodeOffset)
        vk = vkFromEvdev(scan - kX11ScanCodeOffset);
    if (vk == 0)
        vk = vkFromQtKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier));
    if (vk == 0)
        return;
    // Without a timestamp (0: a synthesised event) no pair can be recognised.
    const quint64 timestamp = key->timestamp();
    if (release && timestamp != 0) {
        holdRelease(vk, timestamp);
        return;
    }
    if (release) {
        flushRelease();
        if (m_mode != 0)
            post(vk, true);
        return;
    }
    const bool repeat = m_heldRelease && m_heldRelease->vk == vk && m_heldRelease->timestamp == timestamp;
    if (repeat) {
        m_heldRelease.reset();   // the release of the pair is no release
        m_releaseTimer.stop();
    }
    flushRelease();
    if (!repeat || m_mode != 0)
        post(vk, false);
}

QPointer<Dispatcher>& dispatcher()
{
    static QPointer<Dispatcher> instance;
    return instance;
}

}   // namespace
}   // namespace orvane::hook

bool installhook(QObject* window, int mode)
{
    using namespace orvane::hook;
    QCoreApplication* app = QCoreApplication::instance();
    if (!window || !app || (mode != 0 && mode != 1))
        return false;
    QPointer<Dispatcher>& d = dispatcher();
    if (!d)
        d = new Dispatcher(app);
    return d->install(window, mode);
}

void removehook()
{
    if (QPointer<orvane::hook::Dispatcher>& d = orvane::hook::dispatcher())
        d->remove();
}
