#include "jobreport.h"

#include "hexformat.h"

namespace sim
{

void JobReport::Begin(int number, uint64_t firstByte)
{
    *this = JobReport{};
    number_ = number;
    first_ = firstByte;
    end_ = firstByte;
}

void JobReport::CountCommand(const std::string &kind, uint64_t times)
{
    commands_[kind] += times;
}

void JobReport::CountRemoteCommand(const std::string &name)
{
    ++remoteCommands_[name];
}

void JobReport::CountFactoryPacket(int code)
{
    ++factoryPackets_[code];
}

void JobReport::AddError(const StreamError &error)
{
    ++errorCount_;
    ++errorKinds_[ErrorKindName(error.kind)];
    if (errors_.size() < kMaxErrors) {
        errors_.push_back(error);
    }
}

void JobReport::AddInk(int ink, int dotValue, uint64_t dots, double picolitres)
{
    if (ink < 0 || ink >= kInkCount || dotValue < 1 || dotValue > 3) {
        return;
    }
    ink_[static_cast<size_t>(ink)].dots[static_cast<size_t>(dotValue - 1)] += dots;
    ink_[static_cast<size_t>(ink)].picolitres += picolitres;
}

void JobReport::AddPage(const PageRecord &page)
{
    ++pageCount_;
    if (pages_.size() < kMaxPages) {
        pages_.push_back(page);
    }
}

uint64_t JobReport::Commands(const std::string &kind) const
{
    const auto it = commands_.find(kind);
    return it == commands_.end() ? 0 : it->second;
}

uint64_t JobReport::Dots(int ink) const
{
    if (ink < 0 || ink >= kInkCount) {
        return 0;
    }
    const InkUse &use = ink_[static_cast<size_t>(ink)];
    return use.dots[0] + use.dots[1] + use.dots[2];
}

nlohmann::json JobReport::ToJson() const
{
    nlohmann::json report;
    report["job"] = number_;
    report["firstByte"] = first_;
    report["bytes"] = end_ - first_;
    report["commands"] = commands_;
    report["remoteCommands"] = remoteCommands_;
    nlohmann::json factory = nlohmann::json::object();
    for (const auto &[code, count] : factoryPackets_)
        factory[code < 0 ? std::string("malformed") : HexByte(static_cast<unsigned>(code))] = count;
    report["factoryPackets"] = factory;
    nlohmann::json pages = nlohmann::json::array();
    for (const PageRecord &page : pages_) {
        pages.push_back({{"number", page.number},
                         {"file", page.file},
                         {"offset", page.offset},
                         {"printSeconds", page.seconds},
                         {"passes", page.passes},
                         {"feedInches", page.feedInches},
                         {"widthDots", page.widthDots},
                         {"lengthDots", page.lengthDots}});
    }
    report["pageCount"] = pageCount_;
    report["pages"] = pages;
    nlohmann::json ink = nlohmann::json::object();
    for (int i = 0; i < kInkCount; ++i) {
        const InkUse &use = ink_[static_cast<size_t>(i)];
        ink[InkModel::InkName(i)] = {
            {"dots", Dots(i)}, {"dotsByValue", use.dots}, {"picolitres", use.picolitres}};
    }
    report["inkUsed"] = ink;
    nlohmann::json errors = nlohmann::json::array();
    for (const StreamError &error : errors_) {
        errors.push_back({{"offset", error.offset},
                          {"kind", ErrorKindName(error.kind)},
                          {"message", error.message}});
    }
    report["errorCount"] = errorCount_;
    report["errorsByKind"] = errorKinds_;
    report["errors"] = errors;
    return report;
}

std::string JobReport::Text() const
{
    return ToJson().dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace sim
