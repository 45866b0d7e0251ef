// Registry texts into fixed fields, driver links and subsystem names.
#include "qzdaapi32/board_text.h"

#include "qzdaapi32/qzdaapi32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Pins the mended fault: over-long or unterminated registry texts refuse the board instead of
// running over the field.
TEST(RegistryText, OverLongOrUnterminatedValuesAreRefused)
{
    char field[8];
    std::memset(field, '#', sizeof field);
    const char fits[] = "Board01";
    EXPECT_TRUE(CopyRegistryText(fits, sizeof fits, field, sizeof field));
    EXPECT_STREQ(field, "Board01");

    std::memset(field, '#', sizeof field);
    const char tooLong[] = "Board012";
    EXPECT_FALSE(CopyRegistryText(tooLong, sizeof tooLong, field, sizeof field));
    EXPECT_EQ(field[0], '#');
    const char unterminated[4] = {'A', 'B', 'C', 'D'};
    EXPECT_FALSE(CopyRegistryText(unterminated, sizeof unterminated, field, sizeof field));
    EXPECT_EQ(field[0], '#');
    EXPECT_FALSE(CopyRegistryText(fits, 0, field, sizeof field));
    EXPECT_FALSE(CopyRegistryText(fits, sizeof fits, field, 0));
    // A value with its terminator inside the returned bytes and rubbish after it is fine.
    const char padded[] = "AB\0CDEFGHIJKLMNOP";
    EXPECT_TRUE(CopyRegistryText(padded, sizeof padded, field, sizeof field));
    EXPECT_STREQ(field, "AB");

    std::string full(kRegistryTextBytes - 1, 'x');
    char driverName[kDriverNameChars + 1];
    EXPECT_FALSE(CopyRegistryText(full.c_str(), full.size() + 1, driverName, sizeof driverName));
    std::string most(kDriverNameChars, 'y');
    EXPECT_TRUE(CopyRegistryText(most.c_str(), most.size() + 1, driverName, sizeof driverName));
}

TEST(RegistryText, LinkDropsTheFirstTwelveCharacters)
{
    char link[32];
    ASSERT_TRUE(MakeLinkPath("\\DosDevices\\QzBoard0", link, sizeof link));
    EXPECT_STREQ(link, "\\\\.\\QzBoard0");
    EXPECT_FALSE(MakeLinkPath("\\DosDevices\\", link, sizeof link));
    EXPECT_FALSE(MakeLinkPath("short", link, sizeof link));
    char small[8];
    std::memset(small, '#', sizeof small);
    EXPECT_FALSE(MakeLinkPath("\\DosDevices\\QzBoard0", small, sizeof small));
    EXPECT_EQ(small[0], '#');
}

TEST(SubsystemText, NamesAndDevicePaths)
{
    EXPECT_EQ(SubsystemUnitName(SubsystemTypeAD, 0), "AD Unit 0");
    EXPECT_EQ(SubsystemUnitName(SubsystemTypeCT, 1), "CT Unit 1");
    EXPECT_EQ(SubsystemUnitName(SubsystemTypeDOUT, 12), "DOUT Unit 12");
    EXPECT_EQ(SubsystemDevicePath("\\\\.\\QzBoard0", SubsystemTypeCT, 11), "\\\\.\\QzBoard0\\CTb");
    EXPECT_EQ(SubsystemDevicePath("\\\\.\\QzBoard0", SubsystemTypeSRL, 0), "\\\\.\\QzBoard0\\SRL0");
    EXPECT_EQ(SubsystemTypeWord(6), nullptr);
}

TEST(SubsystemText, CopyCutAlwaysTerminates)
{
    char buffer[6];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(CopyCut("Quenzor", buffer, 5), 4u);
    EXPECT_STREQ(buffer, "Quen");
    EXPECT_EQ(buffer[5], '#');
    EXPECT_EQ(CopyCut("Quenzor", buffer, 1), 0u);
    EXPECT_STREQ(buffer, "");
    buffer[0] = '#';
    EXPECT_EQ(CopyCut("Quenzor", buffer, 0), 0u);
    EXPECT_EQ(buffer[0], '#');
}

TEST(SubsystemText, DriverFileOfTheVersionText)
{
    EXPECT_EQ(DriverFilePath("C:\\WINDOWS", "qzpci", false), "C:\\WINDOWS\\system32\\drivers\\qzpcik.sys");
    EXPECT_EQ(DriverFilePath("C:\\", "qzpci", false), "C:\\system32\\drivers\\qzpcik.sys");
    EXPECT_EQ(DriverFilePath("C:\\WINNT", "qzpci", true), "C:\\WINNT\\system32\\drivers\\qzpcik4.sys");
}
