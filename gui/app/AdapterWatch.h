#pragma once
#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Tells when an I²C adapter's device node comes or goes. This base class
// reports nothing by itself; tests emit its signals as a fake source.
class AdapterWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void added(const QString& devNode);
    void removed(const QString& devNode);
};

// The real source: udev events of the i2c-dev subsystem, read when its
// socket has something (no thread, no polling).
class UdevAdapterWatch : public AdapterWatch {
    Q_OBJECT
public:
    explicit UdevAdapterWatch(QObject* parent = nullptr);
    ~UdevAdapterWatch() override;

    // False when udev cannot be reached (no udev daemon, as in containers).
    bool isWatching() const { return m_monitor != nullptr; }

private:
    void readEvents();

    struct udev* m_udev = nullptr;
    struct udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};
