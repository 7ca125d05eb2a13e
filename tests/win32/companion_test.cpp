// Starting the companion program on a suspend: from the program's folder by its full path,
// with the exact command line, and never from the current folder or the PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/power.h"
#include "file_text.h"

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string ExeFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Folder(path);
}

// The stand-in companion built beside the program (one folder above the tests).
std::string StandIn() { return ExeFolder() + "..\\Hibernate.dll"; }

// Waits up to `ms` for the record file to hold a complete line.
std::string WaitForRecord(const std::string& path, DWORD ms) {
    const DWORD start = GetTickCount();
    std::string text;
    do {
        text = ReadFileText(path);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) return text;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return text;
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "quillar companion " + std::to_string(GetCurrentProcessId()) + "\\";
        programFolder = root + "program folder\\";
        plantedFolder = root + "planted\\";
        record = root + "record.txt";
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA(programFolder.c_str(), nullptr);
        CreateDirectoryA(plantedFolder.c_str(), nullptr);
        SetEnvironmentVariableA("QUILLAR_HIBERNATE_RECORD", record.c_str());
        GetCurrentDirectoryA(MAX_PATH, savedDirectory);
        GetEnvironmentVariableA("PATH", savedPath, sizeof savedPath);
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedDirectory);
        SetEnvironmentVariableA("PATH", savedPath);
        SetEnvironmentVariableA("QUILLAR_HIBERNATE_RECORD", nullptr);
        // A companion that has just written its record may still be ending.
        for (const std::string& f : {programFolder + "Hibernate.dll", plantedFolder + "Hibernate.dll", record})
            for (int tries = 0; !DeleteFileA(f.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND && tries < 40; ++tries)
                Sleep(50);
        RemoveDirectoryA(programFolder.c_str());
        RemoveDirectoryA(plantedFolder.c_str());
        RemoveDirectoryA(root.c_str());
    }
    std::string root, programFolder, plantedFolder, record;
    char savedDirectory[MAX_PATH] = {};
    char savedPath[8192] = {};
};

}  // namespace

TEST_F(Companion, StartedFromTheProgramFolderWithTheExactCommandLine) {
    ASSERT_TRUE(CopyFileA(StandIn().c_str(), (programFolder + "Hibernate.dll").c_str(), FALSE)) << StandIn();
    const std::string own = "\"C:\\Program Files\\Quillar\\QuillarSim.exe\"  /DEBUG ";
    const CompanionStart result = StartCompanion(programFolder, own);
    EXPECT_EQ(result.outcome, CompanionStart::Started) << result.error;
    EXPECT_EQ(WaitForRecord(record, 10000), "Hibernate.dll " + own + "\r\n");
}

TEST_F(Companion, MissingFromTheProgramFolderNothingElseIsStarted) {
    // A planted copy in the current folder and on the PATH.
    ASSERT_TRUE(CopyFileA(StandIn().c_str(), (plantedFolder + "Hibernate.dll").c_str(), FALSE));
    SetCurrentDirectoryA(plantedFolder.c_str());
    SetEnvironmentVariableA("PATH", (plantedFolder + ";" + savedPath).c_str());

    const CompanionStart result = StartCompanion(programFolder, "QuillarSim.exe");
    EXPECT_EQ(result.outcome, CompanionStart::Missing);
    EXPECT_EQ(StartCompanion("Hibernate", "x").outcome, CompanionStart::Missing) << "a relative folder is refused";
    Sleep(1000);
    EXPECT_EQ(ReadFileText(record), "<none>");

    // The same start by bare name finds the planted copy: what the full path rules out.
    EXPECT_GT(WinExec("Hibernate.dll planted", SW_SHOW), 31u);
    EXPECT_EQ(WaitForRecord(record, 10000), "Hibernate.dll planted\r\n");
}
