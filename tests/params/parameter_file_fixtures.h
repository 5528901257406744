#pragma once

#include "params/bike_presets.h"
#include "params/normalize_parameters.h"
#include "params/parameter_file.h"

#include <QFile>
#include <QString>

// Blocks and file texts shared by the parameter file tests.

inline ParameterBlock DefaultBlock(std::uint8_t bike = kBikeStandard)
{
    ParameterBlock block;
    block[ParamIndex::kBike] = bike;
    SetDefaults(block);
    NormalizeParameters(block);
    return block;
}

// A normalised block in which every written setting differs from its default; it is the block of
// samples/velmor_v109.ign.
inline ParameterBlock ChangedBlock()
{
    using namespace ParamIndex;
    ParameterBlock b = DefaultBlock(kBikeStartOfLobe);
    b[kActiveSet] = 1;
    b[kPointCountA] = 12;
    b[kPointCountB] = 10;
    const int speedsA[] = { 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130 };
    const int advancesA[] = { 22, 22, 24, 26, 28, 30, 32, 34, 34, 34, 32, 28, 28, 28, 28 };
    for (int k = 0; k < 15; ++k) {
        b[kSpeedsA + k] = static_cast<std::uint8_t>(speedsA[k]);
        b[kAdvancesA + k] = static_cast<std::uint8_t>(advancesA[k]);
        b[kSpeedsB + k] = static_cast<std::uint8_t>(12 + 6 * k);
        b[kAdvancesB + k] = static_cast<std::uint8_t>(k < 10 ? 20 + k : 29);
    }
    b[kStartLimiterA] = 95;
    b[kHardLimiterA] = 130;
    b[kStartLimiterB] = 90;
    b[kHardLimiterB] = 125;
    b[kStartLimiterDelayA] = 5;
    b[kStartLimiterDelayB] = 10;
    b[kSoftLimiterA] = 120;
    b[kSoftLimiterB] = 118;
    b[kPolarity] = ParamValue::kPolarityNegative;
    b[kIgnitionsPerRev] = 2;
    b[kShiftLightA] = 110;
    b[kShiftLightB] = 105;
    b[kShiftLightPwm] = 8;
    b[kPowerOut] = ParamValue::kPowerOutFuelPump * 2 + 1;
    b[kClutchTimeA] = 30;
    b[kClutchPauseA] = 4;
    b[kClutchTimeB] = 40;
    b[kClutchPauseB] = 6;
    b[kSparkBeforeLobe] = 1;
    b[kStartAdvancePercent] = 40;
    b[kFourStroke] = 1;
    b[kNoLobeCheck] = 1;
    b[kMaxLobeLength] = 120;
    b[kSyncPolarity] = 2;
    b[kTachoPulses] = ParamValue::kTachoPickup;
    b[kTachoCorrection] = 88;
    b[kInput1] = 4;
    b[kInput2] = 2;
    b[kTestSpeed] = 60;
    return b;
}

// The version and unit texts that samples/velmor_v109.ign was written with.
inline ParameterFileInfo SampleInfo()
{
    ParameterFileInfo info;
    info.unitProgramDate = " 5. 4.2025";
    info.unitProgramTime = "09:03";
    info.unitProgramVersion = QString::fromUtf8("TRX09 zkušební");
    info.buildDate = "Apr 24 2025";
    info.buildTime = "15:34:55";
    info.unitInformation = { "250203A+TRX09", "RSKEY=109", "080706-050403-0121a",
        "(last update: 24.04.2025-15:30:00)", "A~C" };
    info.powerSource = 1;
    return info;
}

inline QString SamplePath(const char* name)
{
    return QStringLiteral(VELMOR_SAMPLES_DIR "/") + QString::fromLatin1(name);
}

inline QByteArray ReadSample(const char* name)
{
    QFile file(SamplePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file of the current version with the given body lines after the header.
inline QByteArray CurrentFile(const QByteArray& body)
{
    return "KORDANEX_KEY     109 VELMOR/Velmor\r\n               \r\n" + body + "\r\nVERSIONS       ";
}
