#pragma once

// Test side of the scripted link libraries: loads the fakes from their folder beside the test
// executable (the same files TPDLLFunction loads, so both see one state) and offers their
// control exports, plus a recording window link, a recording wait and a status reply builder.
#include "fakecontrol.h"
#include "link/dllfunction.h"
#include "link/wait.h"
#include "link/windowlink.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <dlfcn.h>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace fake
{

inline QString Folder(const char *name = "fakelink")
{
    return TPDLLFunction::ExecutableFolder() + "/" + name;
}

class Library
{
public:
    explicit Library(const QString &path)
        : handle_(dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            throw std::runtime_error("cannot load " + path.toStdString());
    }
    ~Library() { dlclose(handle_); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    template <typename F> F *Get(const char *name) const
    {
        auto *symbol = reinterpret_cast<F *>(dlsym(handle_, name));
        if (!symbol)
            throw std::runtime_error(std::string("missing control export ") + name);
        return symbol;
    }
    void *Handle() const { return handle_; }

private:
    void *handle_;
};

// Both fakes of one folder, reset on construction. The calls they record read as in
// fakecontrol.h: {"GateClosePort", "GateOpenPort:0401", "GateGetIoError", ...}.
class Link
{
public:
    explicit Link(const char *folder = "fakelink")
        : chan_(Folder(folder) + "/libchanlink.so"), gate_(Folder(folder) + "/libportgate.so")
    {
        Reset();
    }
    void Reset()
    {
        chan_.Get<decltype(FakeChanReset)>("FakeChanReset")();
        gate_.Get<decltype(FakeGateReset)>("FakeGateReset")();
    }

    void SetChanOpenResult(uint16_t result)
    {
        chan_.Get<decltype(FakeChanSetOpenResult)>("FakeChanSetOpenResult")(result);
    }
    void QueueSend(uint16_t result, int16_t errorCode = 0)
    {
        chan_.Get<decltype(FakeChanQueueSend)>("FakeChanQueueSend")(result, errorCode);
    }
    void QueueStatus(const std::vector<uint8_t> &reply, uint16_t result = 1, int16_t error = 0)
    {
        chan_.Get<decltype(FakeChanQueueStatus)>("FakeChanQueueStatus")(
            result, error, reply.data(), static_cast<int>(reply.size()));
    }
    int SendCount() const { return chan_.Get<decltype(FakeChanSendCount)>("FakeChanSendCount")(); }
    std::vector<uint8_t> Sent(int index) const
    {
        auto bytesOf = chan_.Get<decltype(FakeChanSendBytes)>("FakeChanSendBytes");
        const int count = bytesOf(index, nullptr, 0);
        if (count < 0)
            return {};
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        bytesOf(index, bytes.data(), count);
        return bytes;
    }
    int SendResult(int index) const
    {
        return chan_.Get<decltype(FakeChanSendResult)>("FakeChanSendResult")(index);
    }
    // Every byte of the sends the printer took, in order.
    std::vector<uint8_t> Taken() const
    {
        std::vector<uint8_t> all;
        for (int i = 0; i < SendCount(); ++i) {
            if (SendResult(i) == 1) {
                const std::vector<uint8_t> bytes = Sent(i);
                all.insert(all.end(), bytes.begin(), bytes.end());
            }
        }
        return all;
    }
    int StatusCount() const
    {
        return chan_.Get<decltype(FakeChanStatusCount)>("FakeChanStatusCount")();
    }
    bool StatusBufferWasClear() const
    {
        return chan_.Get<decltype(FakeChanStatusBufferWasClear)>("FakeChanStatusBufferWasClear")();
    }
    std::string LastCommand() const { return Text("FakeChanLastCommand", chan_); }
    QStringList ChanCalls() const { return Calls("FakeChanCalls", chan_); }
    QStringList GateCalls() const { return Calls("FakeGateCalls", gate_); }
    const void *LastRecord() const
    {
        return chan_.Get<decltype(FakeChanLastRecord)>("FakeChanLastRecord")();
    }
    uint8_t Eeprom(uint8_t address) const
    {
        return chan_.Get<decltype(FakeChanEeprom)>("FakeChanEeprom")(address);
    }
    void SetEeprom(uint8_t address, uint8_t value)
    {
        chan_.Get<decltype(FakeChanSetEeprom)>("FakeChanSetEeprom")(address, value);
    }
    void SetOpenResult(uint16_t result, int16_t ioError)
    {
        gate_.Get<decltype(FakeGateSetOpenResult)>("FakeGateSetOpenResult")(result, ioError);
    }
    void AddPort(uint16_t code, uint16_t openResult, uint16_t checkResult, const char *model)
    {
        gate_.Get<decltype(FakeGateAddPort)>("FakeGateAddPort")(code, openResult, checkResult,
                                                                model);
    }
    bool PortIsOpen() const { return gate_.Get<decltype(FakeGateIsOpen)>("FakeGateIsOpen")(); }
    uint16_t LastPortCode() const
    {
        return gate_.Get<decltype(FakeGateLastPortCode)>("FakeGateLastPortCode")();
    }
    void *ChanHandle() const { return chan_.Handle(); }
    void *GateHandle() const { return gate_.Handle(); }

private:
    static std::string Text(const char *name, const Library &library)
    {
        auto get = library.Get<int(char *, int)>(name);
        std::string text(static_cast<size_t>(get(nullptr, 0)) + 1, '\0');
        get(text.data(), static_cast<int>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    static QStringList Calls(const char *name, const Library &library)
    {
        return QString::fromStdString(Text(name, library)).split(' ', Qt::SkipEmptyParts);
    }

    Library chan_;
    Library gate_;
};

// A main window stand-in that records what the printer logic asked of it.
class Window : public TPWindowLink
{
public:
    struct Line {
        int mode;
        QString text;
    };
    uint16_t ShowStatus(TPMode mode, const QString &text) override
    {
        lines.push_back({int(mode), text});
        return showResult;
    }
    void Repaint() override { ++repaints; }
    void PaperPrompt() override
    {
        ++paperPrompts;
        if (onPaperPrompt)
            onPaperPrompt();
    }

    std::vector<Line> lines;
    int repaints = 0;
    int paperPrompts = 0;
    uint16_t showResult = 1;
    std::function<void()> onPaperPrompt;
};

// Installs a wait that returns at once and records the milliseconds asked for.
class Waits
{
public:
    Waits()
    {
        Wait::SetHandler([this](int milliseconds) {
            asked.push_back(milliseconds);
            if (onWait)
                onWait(milliseconds);
        });
    }
    ~Waits() { Wait::SetHandler(nullptr); }
    Waits(const Waits &) = delete;
    Waits &operator=(const Waits &) = delete;

    std::vector<int> asked;
    std::function<void(int)> onWait;
};

// A status reply as the printer sends it: header, L, then fields.
class Reply
{
public:
    Reply &Field(uint8_t type, std::initializer_list<uint8_t> data)
    {
        fields_.push_back(type);
        fields_.push_back(static_cast<uint8_t>(data.size()));
        fields_.insert(fields_.end(), data.begin(), data.end());
        return *this;
    }
    Reply &State(uint8_t state) { return Field(0x01, {state}); }
    Reply &Error(uint8_t error) { return Field(0x02, {error}); }
    // Six entries, colour codes in the order given, each with its level.
    Reply &Inks(std::initializer_list<std::pair<uint8_t, uint8_t>> entries)
    {
        fields_.push_back(0x0F);
        fields_.push_back(19);
        fields_.push_back(0);
        for (const auto &entry : entries) {
            fields_.push_back(0);
            fields_.push_back(entry.first);
            fields_.push_back(entry.second);
        }
        return *this;
    }
    // Replaces the declared end (normally 12 + field bytes).
    Reply &DeclaredEnd(int end)
    {
        declaredEnd_ = end;
        return *this;
    }
    std::vector<uint8_t> Bytes() const
    {
        const std::string header = "@BDC ST2\r\n";
        std::vector<uint8_t> bytes(header.begin(), header.end());
        const int end = declaredEnd_ >= 0 ? declaredEnd_ : 12 + static_cast<int>(fields_.size());
        bytes.push_back(static_cast<uint8_t>(end & 0xFF));
        bytes.push_back(static_cast<uint8_t>(end >> 8 & 0xFF));
        bytes.insert(bytes.end(), fields_.begin(), fields_.end());
        bytes.resize(256, 0);
        return bytes;
    }

private:
    std::vector<uint8_t> fields_;
    int declaredEnd_ = -1;
};

inline std::vector<uint8_t> StateReply(uint8_t state, uint8_t error = 0)
{
    return Reply().State(state).Error(error).Bytes();
}

} // namespace fake
