#include "fakelink.h"
#include "link/dllfunction.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

namespace
{
constexpr uint16_t Missing = TPDLLFunction::MissingExport;

bool IsLoadedInProcess(const QString &path)
{
    void *handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}
} // namespace

TEST(DllFunction, ExecutableFolderHoldsTheRunningProgram)
{
    EXPECT_TRUE(QFileInfo::exists(TPDLLFunction::ExecutableFolder() + "/link_tests"));
}

TEST(DllFunction, EveryChannelExportThatTakesTheRecordGetsTheBindingRecord)
{
    fake::Link link;
    TPDLLFunction dll(fake::Folder("fakelink"));
    ASSERT_TRUE(dll.IsLoaded());

    uint8_t byte = 0;
    uint8_t reply[256] = {};
    link.QueueStatus(fake::StateReply(4));
    const std::vector<std::pair<const char *, std::function<uint16_t()>>> calls = {
        {"ChanOpen", [&] { return dll.ChanOpen(); }},
        {"ChanSendData", [&] { return dll.ChanSendData(reply, 3); }},
        {"ChanReadEeprom", [&] { return dll.ChanReadEeprom(0x10, &byte); }},
        {"ChanWriteEeprom", [&] { return dll.ChanWriteEeprom(0x10, 7); }},
        {"ChanFetchStatus", [&] { return dll.ChanFetchStatus("@BDC ST2\r\n", reply); }},
        {"ChanResetPrinter", [&] { return dll.ChanResetPrinter(); }},
        {"ChanClose", [&] { return dll.ChanClose(); }},
    };
    const void *first = nullptr;
    for (const auto &call : calls) {
        SCOPED_TRACE(call.first);
        EXPECT_EQ(call.second(), 1);
        const auto *record = static_cast<const TPDLLFunction::Record *>(link.LastRecord());
        ASSERT_NE(record, nullptr);
        if (!first)
            first = record;
        EXPECT_EQ(record, first); // one record for the whole run
        EXPECT_EQ(record->word, 0u);
        EXPECT_EQ(record->chanModule, link.ChanHandle());
        EXPECT_EQ(record->gateModule, link.GateHandle());
        EXPECT_EQ(link.ChanCalls().last(), call.first);
    }
}

TEST(DllFunction, ArgumentsAndResultsPassThroughUnchanged)
{
    fake::Link link;
    TPDLLFunction dll(fake::Folder("fakelink"));

    EXPECT_EQ(dll.ChanWriteEeprom(0x75, 0xFD), 1);
    EXPECT_EQ(link.Eeprom(0x75), 0xFD);
    link.SetEeprom(0x0C, 0x5A);
    uint8_t value = 0;
    EXPECT_EQ(dll.ChanReadEeprom(0x0C, &value), 1);
    EXPECT_EQ(value, 0x5A);

    const uint8_t data[] = {1, 2, 3};
    link.QueueSend(0x2000, 51);
    EXPECT_EQ(dll.ChanSendData(data, 3), 0x2000);
    EXPECT_EQ(dll.ChanGetErrorCode(), 51);
    EXPECT_EQ(link.Sent(0), std::vector<uint8_t>(data, data + 3));

    char model[52] = {};
    EXPECT_EQ(dll.GateGetModelName(model), 1);
    EXPECT_STREQ(model, "Halden Photo Q510");
}

TEST(DllFunction, OpenPortAsksForTheIoErrorAfterwardsAndKeepsTheOpenResult)
{
    fake::Link link;
    TPDLLFunction dll(fake::Folder("fakelink"));
    link.SetOpenResult(0x1000, -105);

    EXPECT_EQ(dll.GateOpenPort(0x0401), 0x1000);
    EXPECT_EQ(link.LastPortCode(), 0x0401);
    EXPECT_EQ(link.GateCalls(), QStringList({"GateOpenPort:0401", "GateGetIoError"}));

    link.SetOpenResult(1, 0);
    EXPECT_EQ(dll.GateOpenPort(0x0480), 1);
}

TEST(DllFunction, MissingExportGivesB000AndTheOthersStillWork)
{
    fake::Link link("fakelink-missing");
    TPDLLFunction dll(fake::Folder("fakelink-missing"));
    ASSERT_TRUE(dll.IsLoaded());

    const uint8_t data[] = {0x1B, 0x40};
    EXPECT_EQ(dll.ChanSendData(data, 2), Missing);
    EXPECT_EQ(dll.ChanGetErrorCode(), static_cast<int16_t>(0xB000));
    char model[52] = {};
    EXPECT_EQ(dll.GateGetModelName(model), Missing);
    EXPECT_EQ(model[0], '\0');

    EXPECT_EQ(dll.ChanOpen(), 1);
    EXPECT_EQ(dll.GateCheckDeviceId(), 1);
}

TEST(DllFunction, MissingLibraryIsReportedAndItsWrappersGiveB000)
{
    TPDLLFunction dll(fake::Folder("fakelink-nochan"));
    EXPECT_FALSE(dll.IsLoaded());
    uint8_t value = 0;
    uint8_t reply[256] = {};
    EXPECT_EQ(dll.ChanOpen(), Missing);
    EXPECT_EQ(dll.ChanClose(), Missing);
    EXPECT_EQ(dll.ChanSetCommandCode(0x5E, 0xA7), Missing);
    EXPECT_EQ(dll.ChanSendData(reply, 0), Missing);
    EXPECT_EQ(dll.ChanReadEeprom(0, &value), Missing);
    EXPECT_EQ(dll.ChanWriteEeprom(0, 0), Missing);
    EXPECT_EQ(dll.ChanGetErrorCode(), static_cast<int16_t>(0xB000));
    EXPECT_EQ(dll.ChanFetchStatus("@BDC ST2\r\n", reply), Missing);
    EXPECT_EQ(dll.ChanResetPrinter(), Missing);
    EXPECT_EQ(dll.GateClosePort(), 1); // the port library is there

    TPDLLFunction none(fake::Folder("no-such-folder"));
    EXPECT_FALSE(none.IsLoaded());
    int16_t error = 0;
    EXPECT_EQ(none.GateOpenPort(0x0401), Missing);
    EXPECT_EQ(none.GateGetIoError(&error), Missing);
    EXPECT_EQ(none.GateCheckDeviceId(), Missing);
}

TEST(DllFunction, LibrariesAreReleasedWithTheBinding)
{
    const QString chan = fake::Folder("fakelink") + "/libchanlink.so";
    const QString gate = fake::Folder("fakelink") + "/libportgate.so";
    ASSERT_FALSE(IsLoadedInProcess(chan));
    {
        TPDLLFunction dll(fake::Folder("fakelink"));
        EXPECT_TRUE(IsLoadedInProcess(chan));
        EXPECT_TRUE(IsLoadedInProcess(gate));
    }
    EXPECT_FALSE(IsLoadedInProcess(chan));
    EXPECT_FALSE(IsLoadedInProcess(gate));
}
