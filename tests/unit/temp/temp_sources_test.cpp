// Temperature sources: detection order, the two block layouts, rounding, and blocks that are
// shorter or fuller than their layout.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "temp/temp_monitoring.h"
#include "unit/temp/blocks.h"

namespace {

const char* const kSF = "SFSharedMemory_ALM";
const char* const kMBM = "$M$B$M$5$S$D$";

struct Sources : ::testing::Test {
    MemorySharedMemory memory;
    TempMonitoring temp{memory};
};

TEST_F(Sources, DetectionPrefersSpeedFanAndFindsNothingWithoutPublishers) {
    EXPECT_EQ(temp.DetectTempSource(), srcNone);
    EXPECT_EQ(temp.GetSensorCount(), -1);
    EXPECT_EQ(temp.GetSensorName(0), "");
    EXPECT_EQ(temp.ReadSensorTemp(0), -1);

    memory.Publish(kMBM, MbmBlock({{"CPU", 50.0}}));
    EXPECT_EQ(temp.DetectTempSource(), srcMBM);
    memory.Publish(kSF, SpeedFanBlock({4000}));
    EXPECT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.ActiveTempSource(), srcSpeedFan);
}

TEST_F(Sources, SpeedFanHundredthsRoundHalvesToEven) {
    memory.Publish(kSF, SpeedFanBlock({4550, 4450, 4549, -1, -4450}));
    ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.GetSensorCount(), 5);
    EXPECT_EQ(temp.ReadSensorTemp(0), 46);
    EXPECT_EQ(temp.ReadSensorTemp(1), 44);
    EXPECT_EQ(temp.ReadSensorTemp(2), 45);
    EXPECT_EQ(temp.ReadSensorTemp(3), 0);
    EXPECT_EQ(temp.ReadSensorTemp(4), -44);
    EXPECT_EQ(temp.GetSensorName(0), "Sensor 1");
    EXPECT_EQ(temp.GetSensorName(2), "Sensor 3");
    // Every reading copies the block afresh.
    const int copies = memory.copies;
    memory.Publish(kSF, SpeedFanBlock({7000}));
    EXPECT_EQ(temp.ReadSensorTemp(0), 70);
    EXPECT_EQ(memory.copies, copies + 1);
}

TEST_F(Sources, MotherboardMonitorReadingsAndNames) {
    memory.Publish(kMBM, MbmBlock({{"CPU", 61.5}, {"Mainboard", 60.5}, {"Geh\xE4use", 44.5}, {"ABCDEFGHIJKLMNOPQ", 45.3}}));
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    EXPECT_EQ(temp.GetSensorCount(), 4);
    EXPECT_EQ(temp.ReadSensorTemp(0), 62);
    EXPECT_EQ(temp.ReadSensorTemp(1), 60);
    EXPECT_EQ(temp.ReadSensorTemp(2), 44);
    EXPECT_EQ(temp.GetSensorName(0), "CPU");
    EXPECT_EQ(temp.GetSensorName(2), "Geh\xE4use");
    // A name that fills its field without a terminating zero ends at the field's end, not in the reading.
    EXPECT_EQ(temp.GetSensorName(3), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(temp.ReadSensorTemp(3), 45);  // its first byte is not zero
}

TEST_F(Sources, ValuesThatAreNoTemperatureReadAsUnreadable) {
    memory.Publish(kMBM, MbmBlock({{"a", std::nan("")}, {"b", 1e12}, {"c", -std::numeric_limits<double>::infinity()}}));
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(temp.ReadSensorTemp(i), -1) << i;
}

TEST_F(Sources, SpeedFanValueBounds) {
    std::vector<uint8_t> b = SpeedFanBlock({4000, 4100});
    Put16(b, 14, 1);
    Put32(b, 146, 2500);
    Put16(b, 16, 32);
    Put32(b, 274 + 4 * 31, 1200);
    memory.Publish(kSF, b);
    ASSERT_TRUE(temp.speedFan.ReadSpeedFanBlock());
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(1, sfTemp), 4100);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(2, sfTemp), -1);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(-1, sfTemp), -1);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(0, sfFan), 2500);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(1, sfFan), -1);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(31, sfVolt), 1200);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(0, 3), -1);
    EXPECT_EQ(temp.speedFan.GetSpeedFanValue(0, -1), -1);
}

TEST_F(Sources, ASensorBeyondTheCountReadsNothing) {
    // A stored sensor number from a run with more sensors: no fan speeds, no stale entries, no 0.
    std::vector<uint8_t> b = SpeedFanBlock({4000, 4100});
    Put32(b, 18 + 4 * 2, 9900);
    memory.Publish(kSF, b);
    ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.ReadSensorTemp(2), -1);
    EXPECT_EQ(temp.ReadSensorTemp(40), -1);
    EXPECT_EQ(temp.ReadSensorTemp(-1), -1);

    memory.Close(kSF);
    memory.Publish(kMBM, MbmBlock({{"CPU", 50.0}}));
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    EXPECT_EQ(temp.ReadSensorTemp(1), -1);
    EXPECT_EQ(temp.GetSensorName(1), "");
}

TEST_F(Sources, ShortBlocksOfferOnlyTheEntriesTheyHold) {
    // 16 bytes: the count says 5, but not one temperature is there.
    memory.Publish(kSF, SpeedFanBlock({4000, 4000, 4000, 4000, 4000}, 16));
    ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.GetSensorCount(), 0);
    EXPECT_EQ(temp.ReadSensorTemp(0), -1);
    // Two whole temperatures and half a third.
    memory.Publish(kSF, SpeedFanBlock({4000, 4100, 4200}, 18 + 4 * 2 + 2));
    EXPECT_EQ(temp.ReadSensorTemp(1), 41);
    EXPECT_EQ(temp.GetSensorCount(), 2);

    // Motherboard Monitor: room for sensors 0 and 1 only; a block too short for its count field.
    memory.Close(kSF);
    memory.Publish(kMBM, MbmBlock({{"a", 1}, {"b", 2}, {"c", 3}}, 104 + 80 + 8));
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    EXPECT_EQ(temp.GetSensorCount(), 2);
    EXPECT_EQ(temp.ReadSensorTemp(1), 2);
    EXPECT_EQ(temp.ReadSensorTemp(2), -1);
    memory.Publish(kMBM, MbmBlock({{"a", 1}}, 14));
    EXPECT_EQ(temp.ReadSensorTemp(0), -1);
    EXPECT_EQ(temp.GetSensorCount(), 0);
}

TEST_F(Sources, CountsBeyondTheLayoutAreLimited) {
    std::vector<uint8_t> sf = SpeedFanBlock({}, 4096);
    Put16(sf, 12, 40);
    memory.Publish(kSF, sf);
    ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.GetSensorCount(), 32);
    EXPECT_EQ(temp.speedFan.Count(sfTemp), 32);

    memory.Close(kSF);
    std::vector<uint8_t> mbm = MbmBlock({}, 20000);
    Put32(mbm, 12, 1000);
    memory.Publish(kMBM, mbm);
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    // 8,488 copied bytes hold the entries of sensors 0 to 104.
    EXPECT_EQ(temp.GetSensorCount(), 105);
    Put32(mbm, 12, -3);
    memory.Publish(kMBM, mbm);
    temp.ReadSensorTemp(0);
    EXPECT_EQ(temp.GetSensorCount(), 0);
}

TEST_F(Sources, ALostSourceStaysSelectedWithItsLastSnapshot) {
    memory.Publish(kMBM, MbmBlock({{"CPU", 48.0}, {"Board", 30.0}}));
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    memory.Close(kMBM);
    EXPECT_EQ(temp.ReadSensorTemp(0), -1);
    EXPECT_EQ(temp.ActiveTempSource(), srcMBM);
    EXPECT_EQ(temp.GetSensorCount(), 2);
    EXPECT_EQ(temp.GetSensorName(1), "Board");
    memory.Publish(kMBM, MbmBlock({{"CPU", 52.0}, {"Board", 30.0}}));
    EXPECT_EQ(temp.ReadSensorTemp(0), 52);
}

}  // namespace
