// Ostrilon.dll as the installer uses it: loaded from the build folder, checkIsAdmin found by
// its plain name and called with the C calling convention on a string stack of our own.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using PluginFunction = void(__cdecl*)(HWND parent, int string_size, char* variables, void** stack_head);

// The build folder: win32_tests.exe lives in its tests folder.
std::string BuildFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    folder.resize(folder.rfind('\\'));
    folder.resize(folder.rfind('\\') + 1);
    return folder;
}

// A string stack as the installer keeps it; frees whatever is left on it.
struct Stack {
    void* head = nullptr;
    ~Stack() {
        while (head) head = Pop();
    }
    void* Pop() {
        void* next = Next(head);
        GlobalFree(head);
        return next;
    }
    static void* Next(void* node) { return *static_cast<void**>(node); }
    static std::string Text(void* node) { return static_cast<char*>(node) + 4; }
};

// Calls the function as the installer's 32-bit code does and returns how many bytes of
// arguments the function removed from the stack itself: 0 under the C calling convention.
int ArgumentBytesRemovedByCallee(PluginFunction function, int string_size, char* variables, void** head) {
    void* arguments[4] = {nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(string_size)), variables, head};
    int moved;
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "pushl 12(%%edi)\n\t"
        "pushl 8(%%edi)\n\t"
        "pushl 4(%%edi)\n\t"
        "pushl (%%edi)\n\t"
        "call *%%ebx\n\t"
        "movl %%esp, %%eax\n\t"
        "subl %%esi, %%eax\n\t"
        "movl %%esi, %%esp\n\t"
        : "=&a"(moved)
        : "D"(arguments), "b"(function)
        : "ecx", "edx", "esi", "memory", "cc");
    return moved + 16;
}

// Runs a command line and returns what it printed (standard output and error), without the
// line breaks at the end.
std::string RunPrinting(std::string command) {
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "qos", 0, file);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                             nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION child{};
    std::string printed = "<not started>";
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        WaitForSingleObject(child.hProcess, 30000);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        printed.clear();
    }
    CloseHandle(out);
    HANDLE in = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    char buf[512];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &got, nullptr) && got) printed.append(buf, got);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    DeleteFileA(file);
    while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r')) printed.pop_back();
    return printed;
}

// While alive, this process's token refuses to be duplicated, so the check cannot impersonate
// itself and is left with the primary token, which the access check does not accept.
class TokenDuplicationRefused {
public:
    TokenDuplicationRefused() {
        if (!OpenProcessToken(GetCurrentProcess(), READ_CONTROL | WRITE_DAC, &token_)) return;
        DWORD size = 0;
        GetKernelObjectSecurity(token_, DACL_SECURITY_INFORMATION, nullptr, 0, &size);
        saved_.resize(size);
        if (!GetKernelObjectSecurity(token_, DACL_SECURITY_INFORMATION, saved_.data(), size, &size)) return;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        alignas(DWORD) char acl_buffer[128];
        auto* acl = reinterpret_cast<PACL>(acl_buffer);
        InitializeAcl(acl, sizeof acl_buffer, ACL_REVISION);
        AddAccessAllowedAce(acl, ACL_REVISION, TOKEN_QUERY | READ_CONTROL | WRITE_DAC, everyone);
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        applied_ = SetKernelObjectSecurity(token_, DACL_SECURITY_INFORMATION, &descriptor);
        FreeSid(everyone);
    }
    ~TokenDuplicationRefused() {
        if (applied_) SetKernelObjectSecurity(token_, DACL_SECURITY_INFORMATION, saved_.data());
        if (token_) CloseHandle(token_);
    }
    bool applied() const { return applied_; }

private:
    HANDLE token_ = nullptr;
    std::vector<char> saved_;
    BOOL applied_ = FALSE;
};

class Ostrilon : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dll_ = LoadLibraryA((BuildFolder() + "Ostrilon.dll").c_str());
        if (dll_)
            check_ = reinterpret_cast<PluginFunction>(reinterpret_cast<void*>(GetProcAddress(dll_, "checkIsAdmin")));
    }
    static void TearDownTestSuite() {
        if (dll_) FreeLibrary(dll_);
        dll_ = nullptr;
        check_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(dll_, nullptr) << "Ostrilon.dll in " << BuildFolder();
        ASSERT_NE(check_, nullptr);
    }
    // Calls checkIsAdmin on `stack`; the installer's variables are primed to catch writes.
    void Check(Stack& stack, int string_size) {
        std::vector<char> variables(25 * 1024, '\x5A');
        EXPECT_EQ(ArgumentBytesRemovedByCallee(check_, string_size, variables.data(), &stack.head), 0)
            << "the caller removes the arguments";
        EXPECT_EQ(variables, std::vector<char>(25 * 1024, '\x5A')) << "the variables are not touched";
    }
    static HMODULE dll_;
    static PluginFunction check_;
};
HMODULE Ostrilon::dll_ = nullptr;
PluginFunction Ostrilon::check_ = nullptr;

TEST_F(Ostrilon, ExportsOnlyCheckIsAdminByItsPlainName) {
    auto* base = reinterpret_cast<BYTE*>(dll_);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    ASSERT_EQ(exports->NumberOfNames, 1u);
    auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    EXPECT_STREQ(reinterpret_cast<char*>(base + names[0]), "checkIsAdmin");
}

TEST_F(Ostrilon, AdministratorGetsOneOnTopOfTheCallersStack) {
    Stack stack;
    stack.head = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 1024 + 8);  // the installer's own earlier node
    void* earlier = stack.head;
    Check(stack, 1024);
    ASSERT_NE(stack.head, earlier);
    printf("pushed '%s'\n", Stack::Text(stack.head).c_str());
    EXPECT_EQ(Stack::Text(stack.head), "1");
    EXPECT_EQ(Stack::Next(stack.head), earlier) << "next pointer at offset 0";
    EXPECT_GE(GlobalSize(stack.head), 1024u + 8) << "a node of string size + 8 bytes";
    // The impersonation has ended.
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
}

TEST_F(Ostrilon, FailedAccessCheckGivesItsErrorNumberCutToTheStringSize) {
    Stack stack;
    {
        TokenDuplicationRefused refused;
        ASSERT_TRUE(refused.applied()) << GetLastError();
        Check(stack, 1024);
        Check(stack, 2);
    }
    ASSERT_NE(stack.head, nullptr);
    ASSERT_NE(Stack::Next(stack.head), nullptr);
    printf("pushed '%s' with string size 1024, '%s' with 2\n", Stack::Text(Stack::Next(stack.head)).c_str(),
           Stack::Text(stack.head).c_str());
    EXPECT_EQ(Stack::Text(Stack::Next(stack.head)), "1309") << "ERROR_NO_IMPERSONATION_TOKEN";
    EXPECT_EQ(Stack::Text(stack.head), "1") << "one digit and the terminating zero";
    // Once the token may be duplicated again the answer is the ordinary one.
    Check(stack, 1024);
    EXPECT_EQ(Stack::Text(stack.head), "1");
}

TEST_F(Ostrilon, UnusableSizesOrNoStackPushNothing) {
    Stack stack;
    for (int size : {0, -1, INT_MIN, INT_MAX - 7, INT_MAX}) {
        Check(stack, size);
        EXPECT_EQ(stack.head, nullptr) << "string size " << size;
    }
    check_(nullptr, 1024, nullptr, nullptr);  // no stack at all: the answer is dropped
    Check(stack, 1);
    ASSERT_NE(stack.head, nullptr);
    EXPECT_EQ(Stack::Text(stack.head), "") << "room for the terminating zero only";
}

TEST_F(Ostrilon, NonAdministratorGetsZero) {
    const std::string folder = BuildFolder();
    const std::string call = "\"" + folder + "plugincall.exe\" \"" + folder + "Ostrilon.dll\" checkIsAdmin";
    EXPECT_EQ(RunPrinting(call), "1") << "the same call as an administrator";
    EXPECT_EQ(RunPrinting("\"" + folder + "nonadmin.exe\" " + call), "0")
        << "Administrators present for deny only";
}

}  // namespace
