// A remote bus over real ssh: Debian's sshd on 127.0.0.1 at a free port,
// with a host key and a login key made for the run, in a temporary folder.
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/memory/MemoryBus.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tp;

namespace {

// A port nobody listens on now, on the loopback address.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

bool writeText(const QString& path, const QString& text, QFile::Permissions perms = {})
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.write(text.toLocal8Bit());
    f.close();
    return perms ? f.setPermissions(perms) : true;
}

int runQuietly(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class TestRemoteSsh : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void adapterOverSsh();
    void cliOverSsh();
    void refusedLoginIsSaidSo();

private:
    QTemporaryDir m_dir;
    QProcess m_sshd;
    int m_port = 0;
    QString m_spec;
};

void TestRemoteSsh::initTestCase()
{
    const QString sshd = "/usr/sbin/sshd";
    if (!QFile::exists(sshd) || QStandardPaths::findExecutable("ssh").isEmpty() ||
        QStandardPaths::findExecutable("ssh-keygen").isEmpty())
        QSKIP("openssh-server and openssh-client are not installed (make deps installs them)");
    const QString d = m_dir.path();
    // sshd wants its privilege separation folder, which only root may make.
    if (::geteuid() == 0)
        QDir().mkpath("/run/sshd");
    else if (!QDir("/run/sshd").exists())
        QSKIP("sshd needs /run/sshd, which only root can make");
    QCOMPARE(runQuietly("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", d + "/host_key"}), 0);
    QCOMPARE(runQuietly("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", d + "/login_key"}), 0);
    QVERIFY(QFile::copy(d + "/login_key.pub", d + "/authorized_keys"));
    m_port = freePort();
    QVERIFY(m_port > 0);
    const passwd* me = ::getpwuid(::geteuid());
    QVERIFY(me);
    // The temporary folder belongs to the test, not to a careful user's home: no mode checks.
    QVERIFY(writeText(d + "/sshd_config", QStringLiteral("ListenAddress 127.0.0.1\n"
                                                         "Port %1\n"
                                                         "HostKey %2/host_key\n"
                                                         "AuthorizedKeysFile %2/authorized_keys\n"
                                                         "PidFile %2/sshd.pid\n"
                                                         "StrictModes no\n"
                                                         "UsePAM no\n"
                                                         "PasswordAuthentication no\n"
                                                         "KbdInteractiveAuthentication no\n"
                                                         "PermitRootLogin prohibit-password\n"
                                                         "AllowUsers %3\n"
                                                         "LoginGraceTime 20\n")
                                                .arg(m_port)
                                                .arg(d, QString::fromLocal8Bit(me->pw_name))));
    // The desktop's ssh: this run's key and host, nothing of the user's own settings.
    QVERIFY(writeText(d + "/ssh_config", QStringLiteral("Host *\n"
                                                        "  IdentityFile %1/login_key\n"
                                                        "  IdentitiesOnly yes\n"
                                                        "  UserKnownHostsFile /dev/null\n"
                                                        "  StrictHostKeyChecking no\n"
                                                        "  LogLevel ERROR\n"
                                                        "  ConnectTimeout 10\n")
                                             .arg(d)));
    QVERIFY(writeText(d + "/ssh", QStringLiteral("#!/bin/sh\nexec ssh -F '%1/ssh_config' \"$@\"\n").arg(d),
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("TALLYPORT_SSH", (d + "/ssh").toLocal8Bit());
    qputenv("TALLYPORT_REMOTE_CLI", TALLYPORT_CLI);

    m_sshd.setProcessChannelMode(QProcess::MergedChannels);
    m_sshd.start(sshd, {"-D", "-e", "-f", d + "/sshd_config"});
    QVERIFY(m_sshd.waitForStarted(10000));
    QElapsedTimer t;
    t.start();
    while (!accepts(m_port) && t.elapsed() < 10000 && m_sshd.state() == QProcess::Running)
        QTest::qWait(50);
    QVERIFY2(accepts(m_port), m_sshd.readAll().constData());
    m_spec = QStringLiteral("ssh:127.0.0.1:%1/bench").arg(m_port);
}

void TestRemoteSsh::cleanupTestCase()
{
    if (m_sshd.state() != QProcess::NotRunning) {
        m_sshd.terminate();
        if (!m_sshd.waitForFinished(5000)) {
            m_sshd.kill();
            m_sshd.waitForFinished(5000);
        }
    }
    qunsetenv("TALLYPORT_SSH");
    qunsetenv("TALLYPORT_REMOTE_CLI");
}

void TestRemoteSsh::adapterOverSsh()
{
    std::string error;
    const auto target = remote::RemoteTarget::parse(m_spec.toStdString(), &error);
    QVERIFY(target);
    auto board = remote::RemoteAdapter::open(*target, &error);
    QVERIFY2(board, (error + "\n" + m_sshd.readAll().toStdString()).c_str());
    QCOMPARE(board->boardDevice(), std::string("bench"));
    QCOMPARE(board->boardProgram(), std::string(TALLYPORT_VERSION));
    QVERIFY(QString::fromStdString(board->name()).startsWith(QStringLiteral("127.0.0.1:%1: ").arg(m_port)));

    MemoryDevice device;
    device.size = 2048;
    device.pageSize = 16;
    MemoryBus bus(*board, device);
    std::vector<std::uint8_t> data(device.size);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i ^ (i >> 8) ^ 0x5A);
    QVERIFY(bus.writeAll(data).ok());
    std::vector<std::uint8_t> back;
    QVERIFY(bus.readAll(back).ok());
    QCOMPARE(back, data);
    std::vector<std::uint8_t> out;
    QCOMPARE(board->read(0x40, 1, out), status::AddressNack);
}

void TestRemoteSsh::cliOverSsh()
{
    const QString file = m_dir.filePath("image.bin");
    QByteArray b(1024, 0);
    for (int i = 0; i < b.size(); ++i)
        b[i] = static_cast<char>(i * 3 + 1);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(b);
    f.close();
    QProcess p;
    p.start(TALLYPORT_CLI, {"eeprom", "write", "-a", m_spec, "--size", "1K", file});
    QVERIFY(p.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(out.contains("Write and Verify Successful"), qPrintable(out + err));
}

void TestRemoteSsh::refusedLoginIsSaidSo()
{
    // A key the server does not know: BatchMode ends it at once, with ssh's reason.
    const QString d = m_dir.path();
    QCOMPARE(runQuietly("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", d + "/stranger_key"}), 0);
    QFile config(d + "/ssh_config");
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QString stranger = QString::fromLocal8Bit(config.readAll()).replace("/login_key", "/stranger_key");
    QVERIFY(writeText(d + "/ssh_config_stranger", stranger));
    QVERIFY(writeText(d + "/ssh_stranger", QStringLiteral("#!/bin/sh\nexec ssh -F '%1/ssh_config_stranger' \"$@\"\n").arg(d),
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("TALLYPORT_SSH", (d + "/ssh_stranger").toLocal8Bit());
    std::string error;
    const auto target = remote::RemoteTarget::parse(m_spec.toStdString(), &error);
    auto board = remote::RemoteAdapter::open(*target, &error);
    qputenv("TALLYPORT_SSH", (d + "/ssh").toLocal8Bit());
    QVERIFY(!board);
    QVERIFY2(QString::fromStdString(error).contains("Permission denied"), error.c_str());
}

QTEST_GUILESS_MAIN(TestRemoteSsh)
#include "tst_remote_ssh.moc"
