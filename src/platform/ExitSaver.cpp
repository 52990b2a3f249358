#include "platform/ExitSaver.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <utility>

namespace {

std::mutex g_mutex;
std::function<void()> g_save;
QtMessageHandler g_otherHandler = nullptr;

void saveOnce()
{
    std::function<void()> save;
    {
        // Taken out first: a save that ends in exit() again must not loop.
        std::lock_guard lock(g_mutex);
        save = std::exchange(g_save, nullptr);
    }
    if (save)
        save();
}

// What Qt's Wayland client says just before it ends the process.
bool waylandIsGone(QtMsgType type, const QString& message)
{
    return type == QtWarningMsg && message.startsWith(QLatin1String("The Wayland connection "));
}

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_otherHandler)
        g_otherHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    auto* app = QCoreApplication::instance();
    if (!waylandIsGone(type, message) || !app)
        return;
    if (QThread::currentThread() == app->thread()) {
        saveOnce();
        return;
    }
    // The widgets belong to the main thread: the save runs there, and Qt's
    // end of the process waits for it, though not for ever.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> saved = done->get_future();
    QMetaObject::invokeMethod(
        app,
        [done] {
            saveOnce();
            done->set_value();
        },
        Qt::QueuedConnection);
    saved.wait_for(std::chrono::seconds(5));
}

} // namespace

ExitSaver::ExitSaver(std::function<void()> save)
{
    static const bool registered = [] {
        g_otherHandler = qInstallMessageHandler(onMessage);
        return std::atexit(saveOnce) == 0;
    }();
    (void)registered;
    std::lock_guard lock(g_mutex);
    g_save = std::move(save);
}

ExitSaver::~ExitSaver()
{
    std::lock_guard lock(g_mutex);
    g_save = nullptr;
}
