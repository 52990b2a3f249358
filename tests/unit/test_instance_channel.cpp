// The line between a later start and the running copy: the request is
// answered and reported once; anything else is dropped without an answer and
// without disturbing the listener; asking where nobody listens fails in time.
// Stuck callers are closed at their timeout and never hold more than a few
// descriptors; running out of descriptors pauses the listener. Lock and
// socket deleted under a running copy are made again.
#include "platform/InstanceChannel.h"
#include "platform/SingleInstance.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <future>

#ifdef Q_OS_UNIX
#include <QDir>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// Asks on another thread while this one runs the listener's event loop.
bool askWhileListening(const QString& name, int timeoutMs, QString* error)
{
    auto asked =
        std::async(std::launch::async, [&] { return InstanceChannel::askToShow(name, timeoutMs, error); });
    while (asked.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return asked.get();
}

// The channel's clock, moved by the test. Each look at it is counted, so a
// test can wait until the listener has looked at the time it was set to.
struct StillClock
{
    qint64 now = 0;
    int looks = 0;
};

// A channel listening in a folder of its own.
struct Listening
{
    QTemporaryDir dir;
    QString name = dir.filePath("s.socket");
    InstanceChannel channel;
    QString error;
    bool listening = channel.listen(name, &error);
    std::shared_ptr<StillClock> clock = std::make_shared<StillClock>();

    Listening()
    {
        channel.setClock([c = clock] {
            ++c->looks;
            return c->now;
        });
    }

    // Sets the clock and waits until the listener has looked at it.
    bool passTime(qint64 ms)
    {
        clock->now += ms;
        const int looked = clock->looks;
        return QTest::qWaitFor([&] { return clock->looks > looked; });
    }
};

#ifdef Q_OS_UNIX
sockaddr_un addressOf(const QString& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

// A caller that connects and sends bytes, then leaves it to the test.
int connectAndSend(const QString& name, const QByteArray& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address = addressOf(name);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    if (!bytes.isEmpty())
        (void)!::write(fd, bytes.constData(), size_t(bytes.size()));
    return fd;
}

// What a caller was sent before the listener closed it, waiting for that
// while the listener runs; "open" while it has not.
QByteArray whenClosed(int fd)
{
    QByteArray got;
    const bool closed = QTest::qWaitFor([&] {
        char buffer[64];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        return n == 0 || errno != EAGAIN;
    });
    return closed ? got : QByteArray("open");
}

// Neither answered nor closed so far.
bool stillOpen(int fd)
{
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, 0) == 0;
}

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size());
}

// A caller that sends raw bytes and reads whatever comes back.
QByteArray sendRaw(const QString& name, const QByteArray& bytes, bool closeWriting)
{
    auto exchange = std::async(std::launch::async, [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = addressOf(name);
        QByteArray reply;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            (void)!::write(fd, bytes.constData(), size_t(bytes.size()));
            if (closeWriting)
                ::shutdown(fd, SHUT_WR);
            char buffer[256];
            timeval wait{2, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            ssize_t n;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
                reply.append(buffer, n);
        }
        ::close(fd);
        return reply;
    });
    while (exchange.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return exchange.get();
}
#endif

} // namespace

class TestInstanceChannel : public QObject
{
    Q_OBJECT
private slots:
    void theRequestIsAnsweredAndReportedOnce()
    {
        Listening l;
        QVERIFY2(l.listening, qPrintable(l.error));
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        QVERIFY2(askWhileListening(l.name, 2000, &l.error), qPrintable(l.error));
        QCOMPARE(shown.count(), 1);
        // The listener goes on serving.
        QVERIFY2(askWhileListening(l.name, 2000, &l.error), qPrintable(l.error));
        QCOMPARE(shown.count(), 2);
    }

#ifdef Q_OS_UNIX
    void anythingElseGetsNoAnswer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeWriting");
        QTest::newRow("another line") << QByteArray("quit\n") << false;
        QTest::newRow("request without line end, then end") << QByteArray("show") << true;
        QTest::newRow("nothing at all") << QByteArray() << true;
        QTest::newRow("endless line") << QByteArray(4096, 'x') << false;
        QTest::newRow("request with more behind it") << QByteArray("show\nshow\n") << false;
    }
    void anythingElseGetsNoAnswer()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeWriting);
        Listening l;
        QVERIFY(l.listening);
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        QCOMPARE(sendRaw(l.name, bytes, closeWriting), QByteArray());
        QCOMPARE(shown.count(), 0);
        QVERIFY2(askWhileListening(l.name, 2000, &l.error), qPrintable(l.error));
        QCOMPARE(shown.count(), 1);
    }

    void aSocketLeftByACrashedCopyIsReplacedAndAnEndedCopyLeavesNone()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("s.socket");
        // What a crashed copy leaves: a socket file nobody listens on.
        const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = addressOf(name);
        QCOMPARE(::bind(crashed, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(crashed);
        QVERIFY(QFileInfo::exists(name));
        {
            InstanceChannel channel;
            QString error;
            QVERIFY2(channel.listen(name, &error), qPrintable(error));
            QVERIFY2(askWhileListening(name, 2000, &error), qPrintable(error));
            QCOMPARE(QFileInfo(name).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
        }
        QVERIFY(!QFileInfo::exists(name));
    }

    void aCallerGoneBeforeTheAnswerDoesNotEndTheListener()
    {
        Listening l;
        QVERIFY(l.listening);
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        // Asks and leaves at once; the answer then goes to nobody (SIGPIPE
        // would end this process).
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = addressOf(l.name);
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::write(fd, "show\n", 5), ssize_t(5));
        ::close(fd);
        QTRY_COMPARE(shown.count(), 1);
        QVERIFY2(askWhileListening(l.name, 2000, &l.error), qPrintable(l.error));
        QCOMPARE(shown.count(), 2);
    }

    void aNameTooLongIsRefusedWithItsCause()
    {
        InstanceChannel channel;
        QString error;
        const QString name = "/tmp/" + QString(200, 'n');
        QVERIFY(!channel.listen(name, &error));
        QVERIFY(error.contains("zu lang"));
        QVERIFY(!InstanceChannel::askToShow(name, 100, &error));
    }

    // A caller has the timeout to send its whole request, counted from when
    // it was taken; one that is silent or stops halfway is closed unanswered.
    void aSilentCallerIsClosedAtTheTimeout_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("waited");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<QByteArray>("answer");
        const int timeout = 2000; // a caller has two seconds
        QTest::newRow("nothing, until the timeout") << QByteArray() << timeout << QByteArray() << QByteArray();
        QTest::newRow("half a request, until the timeout")
            << QByteArray("sh") << timeout << QByteArray() << QByteArray();
        QTest::newRow("half a request, the rest just in time")
            << QByteArray("sh") << timeout - 1 << QByteArray("ow\n") << QByteArray("ok\n");
        QTest::newRow("nothing, then the request just in time")
            << QByteArray() << timeout - 1 << QByteArray("show\n") << QByteArray("ok\n");
    }
    void aSilentCallerIsClosedAtTheTimeout()
    {
        QFETCH(QByteArray, first);
        QFETCH(int, waited);
        QFETCH(QByteArray, rest);
        QFETCH(QByteArray, answer);
        Listening l;
        QVERIFY(l.listening);
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        const int fd = connectAndSend(l.name, first);
        QVERIFY(fd >= 0);
        QVERIFY(l.passTime(0)); // taken
        QVERIFY(l.passTime(waited));
        if (!rest.isEmpty())
            QCOMPARE(::write(fd, rest.constData(), size_t(rest.size())), ssize_t(rest.size()));
        QCOMPARE(whenClosed(fd), answer);
        ::close(fd);
        QCOMPARE(shown.count(), answer.isEmpty() ? 0 : 1);
    }

    // Stuck callers hold no more than a few of the process's descriptors;
    // the others wait in the system's queue, and a request behind them is
    // answered once they have timed out.
    void stuckCallersHoldAFewDescriptorsAndARequestGetsThrough()
    {
        Listening l;
        QVERIFY(l.listening);
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        const int before = openDescriptors();
        QList<int> stuck;
        for (int i = 0; i < 2 * InstanceChannel::maxCallers; ++i) {
            stuck << connectAndSend(l.name, {});
            QVERIFY(stuck.last() >= 0);
        }
        QTRY_VERIFY(!l.channel.accepting());
        QVERIFY(l.passTime(0));
        QCOMPARE(openDescriptors() - before - stuck.size(), InstanceChannel::maxCallers);

        // Behind them, a request: answered once two rounds have timed out.
        const int request = connectAndSend(l.name, "show\n");
        QVERIFY(request >= 0);
        QVERIFY(l.passTime(InstanceChannel::requestTimeoutMs));
        QCOMPARE(shown.count(), 0);
        QVERIFY(l.passTime(InstanceChannel::requestTimeoutMs));
        QCOMPARE(whenClosed(request), QByteArray("ok\n"));
        ::close(request);
        QCOMPARE(shown.count(), 1);
        for (int fd : stuck) {
            QCOMPARE(whenClosed(fd), QByteArray());
            ::close(fd);
        }
    }

    // Out of descriptors, a waiting caller cannot be taken: the listener
    // pauses instead of trying again at once (a loop taking a core), and the
    // caller is answered once descriptors are free and the pause has passed.
    void runningOutOfDescriptorsPausesTheListener()
    {
        Listening l;
        QVERIFY(l.listening);
        QSignalSpy shown(&l.channel, &InstanceChannel::showRequested);
        rlimit limit{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        const int fd = connectAndSend(l.name, "show\n");
        QVERIFY(fd >= 0);
        rlimit few = limit;
        few.rlim_cur = rlim_t(openDescriptors() + 16);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &few), 0);
        QList<int> taken;
        const int base = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        for (int spare = base; spare >= 0; spare = ::fcntl(base, F_DUPFD_CLOEXEC, 0))
            taken << spare;
        QTRY_VERIFY(!l.channel.accepting());
        QVERIFY(l.passTime(0));
        QVERIFY(stillOpen(fd));
        QCOMPARE(shown.count(), 0);
        for (int spare : taken)
            ::close(spare);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        QVERIFY(l.passTime(2000));
        QCOMPARE(whenClosed(fd), QByteArray("ok\n"));
        ::close(fd);
        QCOMPARE(shown.count(), 1);
    }

    // Lock and socket deleted under a running copy (with the store's folder,
    // by a cleaner) are made again, and a later start hands over to it.
    void aDeletedGuardIsMadeAgain_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::newRow("the whole folder") << "folder";
        QTest::newRow("the lock") << "lock";
        QTest::newRow("the socket") << "socket";
    }
    void aDeletedGuardIsMadeAgain()
    {
        QFETCH(QString, deleted);
        QTemporaryDir dir;
        const QString folder = dir.filePath("MIRTAL");
        const QString store = folder + "/store.sqlite3";
        SingleInstance running(store);
        QCOMPARE(running.claim(), SingleInstance::Claim::Running);
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        if (deleted == "folder")
            QVERIFY(QDir(folder).removeRecursively());
        else
            QVERIFY(QFile::remove(deleted == "lock" ? running.lockPath() : running.serverName()));
        QTRY_VERIFY(QFileInfo::exists(running.lockPath()) && QFileInfo::exists(running.serverName()));
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
        SingleInstance later(store);
        QCOMPARE(later.claim(), SingleInstance::Claim::AnotherRuns);
        QString error;
        QVERIFY2(askWhileListening(later.serverName(), 2000, &error), qPrintable(error));
        QCOMPARE(shown.count(), 1);
    }
#endif

    void askingWhereNobodyListensFailsWithinTheDeadline()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!InstanceChannel::askToShow(dir.filePath("none.socket"), 500, &error));
        QVERIFY(!error.isEmpty());

        // A copy that holds the lock but does not answer: a later start gives
        // up after its deadline and says why.
        SingleInstance running(dir.filePath("store.sqlite3"));
        QCOMPARE(running.claim(), SingleInstance::Claim::Running);
        SingleInstance later(dir.filePath("store.sqlite3"));
        QCOMPARE(later.claim(), SingleInstance::Claim::AnotherRuns);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(later.handOver(300), SingleInstance::HandOver::NotAnswering);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!later.problem().isEmpty());
    }

    // The lock lies beside the store, whatever else the environment holds;
    // only a lock whose process is gone, or an empty one left by a power cut,
    // is taken over.
    void theLockBesideTheStoreDecides_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<SingleInstance::Claim>("expected");
        QTest::newRow("nothing") << "" << SingleInstance::Claim::Running;
        QTest::newRow("a running copy") << "running" << SingleInstance::Claim::AnotherRuns;
        QTest::newRow("the lock of a crashed copy") << "crashed" << SingleInstance::Claim::Running;
        QTest::newRow("an empty lock from a power cut") << "empty, old" << SingleInstance::Claim::Running;
        QTest::newRow("a lock being written") << "empty, new" << SingleInstance::Claim::AnotherRuns;
        QTest::newRow("a folder open to others") << "open folder" << SingleInstance::Claim::Running;
#ifdef Q_OS_UNIX
        QTest::newRow("a folder of another user") << "foreign folder" << SingleInstance::Claim::Refused;
#endif
    }
    void theLockBesideTheStoreDecides()
    {
        QFETCH(QString, before);
        QFETCH(SingleInstance::Claim, expected);
        QTemporaryDir dir;
        const QString folder = dir.filePath("MIRTAL");
        const QString store = folder + "/store.sqlite3";
        QDir().mkpath(folder);
        SingleInstance first(store);
        if (before == "running")
            QCOMPARE(first.claim(), SingleInstance::Claim::Running);
        QFile lock(store + ".lock");
        if (before == "crashed" || before.startsWith("empty")) {
            QVERIFY(lock.open(QIODevice::WriteOnly));
            if (before == "crashed")
                lock.write("2147483647\norbo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
            lock.close();
            if (before == "empty, old")
                QVERIFY(lock.open(QIODevice::ReadWrite) &&
                        lock.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                         QFileDevice::FileModificationTime));
            lock.close();
        }
        if (before == "open folder")
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
#ifdef Q_OS_UNIX
        if (before == "foreign folder") {
            if (::geteuid() != 0)
                QSKIP("needs root to give the folder to another user");
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        }
#endif
        SingleInstance later(store);
        QCOMPARE(later.claim(), expected);
        if (expected == SingleInstance::Claim::Refused)
            QVERIFY(later.problem().contains(folder));
        else
            QCOMPARE(QFileInfo(later.lockPath()).absolutePath(), QFileInfo(folder).canonicalFilePath());
#ifdef Q_OS_UNIX
        if (expected == SingleInstance::Claim::Running) {
            QCOMPARE(QFileInfo(later.serverName()).absolutePath(), QFileInfo(folder).canonicalFilePath());
            struct stat st = {};
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
            QCOMPARE(st.st_mode & 077, 0u);
        }
#endif
    }
};

QTEST_GUILESS_MAIN(TestInstanceChannel)
#include "test_instance_channel.moc"
