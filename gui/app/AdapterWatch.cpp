#include "gui/app/AdapterWatch.h"
#include "gui/common/Guarded.h"

#include <QSocketNotifier>

#include <cstring>
#include <libudev.h>
#include <unistd.h>

UdevAdapterWatch::UdevAdapterWatch(QObject* parent) : AdapterWatch(parent)
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    // Events after udev's rules ran (group and mode of the node set); without
    // a udev daemon, as in containers, the kernel's own.
    const bool daemon = ::access("/run/udev/control", F_OK) == 0;
    m_monitor = udev_monitor_new_from_netlink(m_udev, daemon ? "udev" : "kernel");
    if (m_monitor && (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "i2c-dev", nullptr) < 0 ||
                      udev_monitor_enable_receiving(m_monitor) < 0)) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (!m_monitor)
        return;
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, guarded([this] { readEvents(); }));
}

UdevAdapterWatch::~UdevAdapterWatch()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void UdevAdapterWatch::readEvents()
{
    // The socket is non-blocking: take every event that is waiting.
    while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        const QString devNode = QString::fromLocal8Bit(node ? node : "");
        const bool add = action && std::strcmp(action, "add") == 0;
        const bool remove = action && std::strcmp(action, "remove") == 0;
        udev_device_unref(dev);
        if (devNode.isEmpty())
            continue;
        if (add)
            emit added(devNode);
        else if (remove)
            emit removed(devNode);
    }
}
