#pragma once

#include "resultcode.h"

#include <QString>
#include <cstdint>

// The three choices of the printer selection window, kept for the rest of the run and read
// by the main window and its items.
struct TPSelection {
    static constexpr uint8_t NoModel = 255;
    static constexpr uint16_t NoPort = 0x0503;

    uint8_t ModelCode = NoModel; // 1 Halden Photo Q510, 2 Halden Photo Q530
    uint16_t PortCode = NoPort;
    QString Destination; // text of the chosen destination item

    TPModel Model() const
    {
        return ModelCode == uint8_t(TPModel::Q510) || ModelCode == uint8_t(TPModel::Q530)
                   ? TPModel(ModelCode)
                   : TPModel::None;
    }

    // "US/Euro" 0, "Asia" 1, "EAL" 3, "Latin" 4, anything else 255.
    int DestinationCode() const
    {
        if (Destination == QLatin1String("US/Euro"))
            return 0;
        if (Destination == QLatin1String("Asia"))
            return 1;
        if (Destination == QLatin1String("EAL"))
            return 3;
        if (Destination == QLatin1String("Latin"))
            return 4;
        return 255;
    }
};
