#include "market.h"

namespace
{
struct Row {
    int destination;
    TPModel model;
    TPMarket::MarketBytes bytes;
    bool comparesThird;
    const char *text;
};

constexpr Row Rows[] = {
    {TPMarket::UsEuro, TPModel::Q510, {0x00, 0xBA, 0x00}, true, "US / Euro."},
    {TPMarket::Latin, TPModel::Q510, {0x00, 0xBA, 0x01}, true, "LATIN."},
    {TPMarket::Asia, TPModel::Q530, {0x04, 0xFA, 0x01}, true, "Asia."},
    {TPMarket::Eal, TPModel::Q530, {0x04, 0xFA, 0x01}, false, "EAL."},
};

const Row *rowOf(int destinationCode)
{
    for (const Row &row : Rows) {
        if (row.destination == destinationCode)
            return &row;
    }
    return nullptr;
}
} // namespace

std::optional<TPMarket::MarketBytes> TPMarket::BytesFor(int destinationCode)
{
    if (const Row *row = rowOf(destinationCode))
        return row->bytes;
    return std::nullopt;
}

std::vector<TPMarket::Write> TPMarket::SettingWrites(int destinationCode)
{
    std::vector<Write> writes = {
        {AddressFixed1, 0x03}, {AddressFixed2, 0x04}, {AddressFixed3, 0x00}};
    if (const auto bytes = BytesFor(destinationCode)) {
        const auto addresses = CheckedAddresses();
        for (size_t i = 0; i < addresses.size(); ++i)
            writes.emplace_back(addresses[i], (*bytes)[i]);
    }
    return writes;
}

std::array<uint8_t, 3> TPMarket::CheckedAddresses()
{
    return {AddressMarket1, AddressMarket2, AddressMarket3};
}

TPMarket::Result TPMarket::Check(TPModel model, int destinationCode, const MarketBytes &stored)
{
    const Row *row = rowOf(destinationCode);
    if (!row || row->model != model)
        return {Verdict::Unchecked, QString()};
    const size_t compared = row->comparesThird ? 3 : 2;
    for (size_t i = 0; i < compared; ++i) {
        if (stored[i] != row->bytes[i])
            return {Verdict::Wrong, QString()};
    }
    return {Verdict::Right, QString::fromLatin1(row->text)};
}
