// Test doubles for the platform seams of the controller and the idle engine.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "app/form.h"
#include "common/registry.h"
#include "hw/timing.h"
#include "idle/idle_threads.h"
#include "temp/shared_memory.h"
#include "temp/shutdown.h"
#include "temp/temp_monitoring.h"
#include "ui/dsa.h"
#include "unit/winwatch/fake_windows.h"

// Threads that never run: the test drives their clocks and states.
class FakeIdlePlatform : public IdleThreadPlatform {
public:
    struct Thread {
        int priority = 0;
        uint32_t affinity = 0;
        int suspendCount = 1;
        bool discarded = false;
        uint64_t kernel100ns = 0;
        void (*body)(void*) = nullptr;
        void* arg = nullptr;
    };
    std::map<uintptr_t, Thread> threads;
    std::vector<std::string> calls;
    uint32_t tick = 1000;
    int failAffinityFor = -1;  // processor index whose affinity cannot be set
    uintptr_t next = 1;

    uintptr_t CreateSuspended(void (*body)(void*), void* arg) override {
        threads[next] = Thread{0, 0, 1, false, 0, body, arg};
        return next++;
    }
    void SetPriority(uintptr_t t, int p) override { threads[t].priority = p; }
    int GetPriority(uintptr_t t) override { return threads[t].priority; }
    bool SetAffinity(uintptr_t t, uint32_t mask) override {
        if (failAffinityFor >= 0 && mask == (1u << failAffinityFor)) return false;
        threads[t].affinity = mask;
        return true;
    }
    void Resume(uintptr_t t) override {
        calls.push_back("resume " + std::to_string(t));
        if (threads[t].suspendCount > 0) --threads[t].suspendCount;
    }
    void Suspend(uintptr_t t) override {
        calls.push_back("suspend " + std::to_string(t));
        ++threads[t].suspendCount;
    }
    void Discard(uintptr_t t) override { threads[t].discarded = true; }
    // The bodies never run, so every thread counts as ended; a test that runs a body late
    // itself says it has not.
    bool bodiesPending = false;
    bool Ended(uintptr_t) override { return !bodiesPending; }
    bool KernelTime(uintptr_t t, uint64_t& time) override {
        if (unreadable) return false;
        time = threads[t].kernel100ns;
        return true;
    }
    bool unreadable = false;  // thread times cannot be read
    uint32_t TickCount() override { return tick; }
};

// The privileged object: records each request and answers with `result`, or fails to be
// created with `createError`.
class FakePrivilegedObjects : public PrivilegedObjectSource {
public:
    std::vector<std::string> requests;  // "1" / "0" per SetAutoStart, in order
    int32_t result = 0;
    int32_t createError = 0;
    std::unique_ptr<PrivilegedObject> Create() override {
        if (createError) throw EComError(createError, "Class not registered");
        return std::make_unique<Object>(*this);
    }

private:
    struct Object : PrivilegedObject {
        explicit Object(FakePrivilegedObjects& owner) : owner(owner) {}
        int32_t SetAutoStart(const std::string&, bool enable) override {
            owner.requests.push_back(enable ? "1" : "0");
            return owner.result;
        }
        FakePrivilegedObjects& owner;
    };
};

class FakeHost : public FormHost {
public:
    std::vector<std::string> dialogs;
    std::vector<std::string> errors;
    bool optionsVisible = false;
    bool terminated = false;
    int closedOptions = 0;
    std::vector<std::string> executed;
    bool shellSucceeds = true;

    void ErrorBox(const std::string& text) override { errors.push_back(text); }
    void ErrorBoxWithCaption(const std::string& caption, const std::string& text) override {
        errors.push_back(caption + "|" + text);
    }
    int MessageDialog(const std::string& text, DialogKind, unsigned, int defaultResult, int) override {
        dialogs.push_back(text);
        return defaultResult;
    }
    void ProcessMessages() override {}
    void Sleep(unsigned) override {}
    void ShowSplash() override {}
    bool OptionsVisible() override { return optionsVisible; }
    void ShowOptionsModal() override { optionsVisible = true; }
    void CloseOptions() override {
        optionsVisible = false;
        ++closedOptions;
    }
    void Terminate() override { terminated = true; }
    uintptr_t FindTaskbarWindow() override { return taskbar; }
    bool IsWindowsNT() override { return true; }
    bool OpenWithShell(const std::string& path) override {
        executed.push_back(path);
        return shellSucceeds;
    }
    std::string ProgramFolder() override { return "C:\\Program Files\\Quillar\\"; }
    uintptr_t LoadCpuPicture(const std::string& libraryPath, const std::vector<std::string>& names) override {
        libraryPaths.push_back(libraryPath);
        triedPictures = names;
        for (const std::string& n : names)
            if (n == availablePicture) return 0x4242;
        return 0;
    }
    std::vector<std::string> libraryPaths;
    std::vector<std::string> triedPictures;
    std::string availablePicture;  // the one picture the fake library holds

    uintptr_t taskbar = 0x1234;
    FakeWindows windows{std::vector<std::string>{}};
    TopLevelWindows& SystemWindows() override { return windows; }
    int trayRecreations = 0;
    bool trayBusy = false;  // the tray component cannot be re-created now
    bool RecreateTrayIcon() override {
        if (trayBusy) return false;
        ++trayRecreations;
        return true;
    }
    FakePrivilegedObjects privileged;
    PrivilegedObjectSource& PrivilegedObjects() override { return privileged; }
};

// Records the shutdowns asked for and refuses them.
class RecordingShutdown : public SystemShutdown {
public:
    std::vector<uint16_t> calls;
    bool ShutdownWindows(uint16_t flags) override {
        calls.push_back(flags);
        return false;
    }
};

// The services a form runs on, for one test: fake threads, a registry and shared memory in
// memory, a recorded shutdown, and the native stand-ins of the processor services and
// dialogs unless a test hands in its own.
struct TestServices {
    FakeIdlePlatform threads;
    MemoryRegistry registry;
    MemorySharedMemory memory;
    TempMonitoring temps{memory};
    RecordingShutdown shutdown;
    ProcessorPlatform* processors = &SystemProcessorPlatform();
    FormServices Services() {
        return FormServices{*processors, threads, registry, ProcessDSAPlatform(), temps, shutdown};
    }
};

class FakeTray : public TrayIconView {
public:
    bool active = false;
    std::string tip;
    std::vector<int> shown;          // pictures shown, in order
    std::vector<std::string> texts;  // text icons drawn, in order
    int adds = 0;

    bool Active() const override { return active; }
    void SetActive(bool a) override {
        if (a && !active) ++adds;
        active = a;
    }
    const std::string& ToolTip() const override { return tip; }
    void SetToolTip(const std::string& t) override { tip = t.substr(0, 62); }
    void SetTrayIcon(int index) override { shown.push_back(index); }
    int RenderTextIcon(const std::string& text, int index) override {
        texts.push_back(text + "@" + std::to_string(index));
        return 11;
    }
    int ImageCount() const override { return 12; }
};
