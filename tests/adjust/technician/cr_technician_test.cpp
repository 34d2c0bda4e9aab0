// The test technician measures the CR motor: the measurement must register the offset the
// printer's drive dispersion implies.
#include "technicianfixture.h"

#include <QCheckBox>

using namespace technician;

namespace
{
constexpr int CrOffsetItem = 8;

class CrTechnician : public TechnicianTest
{
};

TEST_P(CrTechnician, CrMeasurementRegistersTheOffsetTheDriveDispersionImplies)
{
    ASSERT_NO_FATAL_FAILURE(OpenOutOfAdjustment());
    List(*window, "AdjustRdoGrp")->Button(CrOffsetItem)->click();
    ASSERT_TRUE(WaitForEnabled(*window));
    for (const char *part : {"ReplaceCRMotorCheckBox", "ReplaceCRMainShaftCheckBox"})
        window->findChild<QCheckBox *>(QString::fromLatin1(part))->setChecked(true);
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    Click("CRHeatProtectOffsetOKBtn");
    ASSERT_TRUE(WaitForEnabled(*window, 60000));
    EXPECT_EQ(MemoLines(*window).value(0),
              "A value for the CR motor drive dispersion has successfully registered.");

    // A slow series that reads d counts high moves the dispersion value by d and the offset
    // by 0.9 d; each timing run may be up to 2 counts off, which moves the offset by at most 4.
    const int dispersion = HiddenMechanics().value("crDispersion").toInt();
    constexpr int SeriesGap = 380 - 700; // the slow and fast series of a true printer
    const int d = (3 * (SeriesGap + dispersion) + 951) / 3;
    const int expected = (std::clamp(d * 18 / 10 + 88, -51, 160)) / 2;
    const int stored = int8_t(printer->Eeprom().at(0x56));
    EXPECT_LE(std::abs(stored - expected), 4) << "dispersion " << dispersion;
}

INSTANTIATE_TEST_SUITE_P(ThreeSeeds, CrTechnician, ::testing::Values(11, 2024, 77777));

} // namespace
