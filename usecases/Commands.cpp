#include "usecases/Commands.h"

#include <QEventLoop>

#include <functional>
#include <optional>

namespace orvane::usecases {

namespace img = link::image;

namespace {

// Runs the event loop until `result` holds a value; `start` asks for the sequence, whose signal
// may also arrive before the loop runs.
template <typename T>
T waitFor(std::optional<T>& result, QEventLoop& loop, const std::function<void()>& start)
{
    start();
    if (!result)
        loop.exec();
    return *result;
}

}   // namespace

ReadOutcome CommandRunner::startAndRead()
{
    QEventLoop loop;
    std::optional<ReadOutcome> outcome;
    auto end = [&](ReadOutcome o) {
        if (!outcome)
            outcome = o;
        loop.quit();
    };
    const QMetaObject::Connection c1 =
        QObject::connect(&session_, &Session::keyboardMissing, &loop, [&] { end(ReadOutcome::NoKeyboard); });
    const QMetaObject::Connection c2 =
        QObject::connect(&session_, &Session::readFailed, &loop, [&] { end(ReadOutcome::ReadFailed); });
    const QMetaObject::Connection c3 =
        QObject::connect(&session_, &Session::configurationApplied, &loop, [&](int) { end(ReadOutcome::Read); });
    const ReadOutcome result = waitFor<ReadOutcome>(outcome, loop, [&] {
        session_.start();
        // A keyboard that is half there (one interface) still starts its read; it is missing all
        // the same, and nothing may be sent to it.
        if (!session_.awaitingStartupRead() && !outcome)
            end(ReadOutcome::NoKeyboard);
    });
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    // Whatever the outcome, the link may still be busy with the start-up read (a missing event
    // interface): it finishes before anything else is done.
    session_.keyboardLink().WaitForIdle();
    return result;
}

void CommandRunner::beginChange()
{
    imageBefore_ = std::make_unique<link::ConfigImage>(session_.store().image());
    recordsBefore_ = std::make_unique<link::KeyExtTable>(session_.store().extTable());
}

link::UploadResult CommandRunner::saveOrRevert()
{
    QEventLoop loop;
    std::optional<link::UploadResult> outcome;
    const QMetaObject::Connection c =
        QObject::connect(&session_, &Session::saveFinished, &loop, [&](link::UploadResult r) {
            outcome = r;
            loop.quit();
        });
    const link::UploadResult result = waitFor<link::UploadResult>(outcome, loop, [&] { session_.save(); });
    QObject::disconnect(c);
    if (!uploadSucceeded(result)) {
        if (imageBefore_) {
            session_.store().image() = *imageBefore_;
            session_.store().extTable() = *recordsBefore_;
            // As after a profile load: levels, marks and keymap.bin follow the restored pair.
            session_.configurationLoaded(1);
        } else {
            session_.cancelEdits();
        }
    }
    imageBefore_.reset();
    recordsBefore_.reset();
    return result;
}

bool CommandRunner::factoryReset()
{
    QEventLoop loop;
    std::optional<bool> outcome;
    const QMetaObject::Connection c = QObject::connect(&session_, &Session::factoryResetFinished, &loop, [&](bool ok) {
        outcome = ok;
        loop.quit();
    });
    const bool ok = waitFor<bool>(outcome, loop, [&] { session_.factoryReset(); });
    QObject::disconnect(c);
    return ok;
}

bool CommandRunner::chooseEffect(uint8_t code)
{
    const int row = effectRow(code);
    if (row < 0)
        return false;
    // As the effect list chooses it; a main window's open sections stay as its user left them.
    session_.panel().chooseEffect(std::size_t(row));
    return session_.store().image()[img::kEffect] == code;
}

}   // namespace orvane::usecases
