// The port list's source: virtual printers by name, then USB device nodes, then parallel ports.
#include "link/portenumeration.h"
#include "runtimedir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
class PortFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        ASSERT_TRUE(QDir().mkpath(Ports()));
        ASSERT_TRUE(QDir().mkpath(Dev() + "/usb"));
    }
    QString Ports() const { return root_.filePath("ports"); }
    QString Dev() const { return root_.filePath("dev"); }
    void Socket(const QString &name)
    {
        ASSERT_TRUE(novari_test::MakeSocketFile(Ports() + "/" + name));
    }
    void Node(const QString &path)
    {
        QFile file(Dev() + "/" + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir root_;
};
} // namespace

TEST_F(PortFolders, ListsVirtualPrintersByNameThenUsbNodesThenParallelPorts)
{
    for (const char *name : {"USB003", "USB001", "NVUSB002", ".USB001.control", "COM1"})
        Socket(name);
    // Not a socket: no printer behind it.
    QFile plain(Ports() + "/USB009");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    for (const char *node :
         {"usb/lp1", "usb/lp0", "usb/lp10", "usb/lpx", "usb/hiddev0", "lp2", "lp0", "lp", "tty0"})
        Node(node);
    ASSERT_TRUE(QDir().mkpath(Dev() + "/lp5")); // a folder is no device node

    QStringList names;
    ASSERT_TRUE(TPPortEnumeration(Ports(), Dev()).Enumerate(&names));
    EXPECT_EQ(names, QStringList({"COM1", "NVUSB002", "USB001", "USB003", "USB001", "USB002",
                                  "USB011", "LPT1:", "LPT3:"}));
}

TEST_F(PortFolders, MissingFoldersMeanNoPorts)
{
    QStringList names{"stale"};
    ASSERT_TRUE(
        TPPortEnumeration(root_.filePath("none"), root_.filePath("nodev")).Enumerate(&names));
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(PortFolders, UnreadablePortDirectoryFailsAndLeavesTheNames)
{
    // A symbolic link to itself cannot be opened, even by root.
    const QString loop = root_.filePath("loop");
    ASSERT_TRUE(QFile::link(loop, loop));
    QStringList names{"USB001"};
    EXPECT_FALSE(TPPortEnumeration(loop, Dev()).Enumerate(&names));
    EXPECT_EQ(names, QStringList({"USB001"}));
}

TEST(PortEnumeration, FollowsTheSessionsPortDirectory)
{
    novari_test::RuntimeDir runtime;
    ASSERT_TRUE(runtime.IsValid());
    ASSERT_TRUE(novari_test::MakeSocketFile(runtime.PortDirectory() + "/USB004"));
    QStringList names;
    ASSERT_TRUE(TPPortEnumeration().Enumerate(&names));
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.first(), "USB004");
}

TEST(PortEnumeration, DeviceNodePortNames)
{
    EXPECT_EQ(TPPortEnumeration::UsbPortName(0), "USB001");
    EXPECT_EQ(TPPortEnumeration::UsbPortName(41), "USB042");
    EXPECT_EQ(TPPortEnumeration::ParallelPortName(0), "LPT1:");
    EXPECT_EQ(TPPortEnumeration::ParallelPortName(11), "LPT12:");
}
