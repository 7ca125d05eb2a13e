// Ostrilon: tells an installer whether the calling thread's user is a member of the local
// Administrators group. The one export follows the installer's plug-in convention: four
// arguments, C calling convention, the answer pushed as text onto the caller's string stack.
#include <windows.h>

#include "admincheck/result_text.h"

namespace {

HINSTANCE g_instance = nullptr;       // this module, stored when the library is loaded
ostrilon::LibraryValues g_values;     // the installer's arguments of the latest call

// Private rights of the check's own descriptor.
constexpr DWORD ACCESS_READ = 1;
constexpr DWORD ACCESS_WRITE = 2;

static_assert(SECURITY_DESCRIPTOR_MIN_LENGTH == 20, "the descriptor block of the 32-bit library");
static_assert(sizeof(PRIVILEGE_SET) == 20, "room for one privilege");
static_assert(ostrilon::kTextOffset == 4, "the installer's node layout is a 32-bit layout");

void* AllocateNode(std::size_t bytes) {
    return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
}

void CopyText(char* to, const char* from, int count) { lstrcpynA(to, from, count); }

constexpr ostrilon::NodeMemory kNodeMemory{AllocateNode, CopyText};

void PushResultText(const char* text) { ostrilon::PushResultText(g_values, text, kNodeMemory); }

// 1 for a member of Administrators, 0 for anyone else and for every failure before the
// access check, the system's error number when the access check itself fails. The check
// asks the system whether the thread's token may read a descriptor that grants access to
// Administrators only.
LONG IsCallerAdmin() {
    LONG result = 0;
    HANDLE token = nullptr;
    PSID admins = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL acl = nullptr;

    ImpersonateSelf(SecurityImpersonation);
    bool impersonating = true;

    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
        token = nullptr;
        if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            token = nullptr;
            goto done;
        }
    }
    {
        SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
        if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                      0, 0, 0, 0, 0, 0, &admins)) {
            admins = nullptr;
            goto done;
        }
    }
    descriptor = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (!descriptor || !InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION)) goto done;
    {
        // List header, one access-allowed entry whose last word is where the identifier begins.
        const DWORD acl_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(admins);
        acl = static_cast<PACL>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, acl_size));
        if (!acl || !InitializeAcl(acl, acl_size, ACL_REVISION2)) goto done;
    }
    if (!AddAccessAllowedAce(acl, ACL_REVISION2, ACCESS_READ | ACCESS_WRITE, admins)) goto done;
    if (!SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE)) goto done;
    SetSecurityDescriptorGroup(descriptor, admins, FALSE);
    SetSecurityDescriptorOwner(descriptor, admins, FALSE);
    if (!IsValidSecurityDescriptor(descriptor)) goto done;
    {
        GENERIC_MAPPING mapping{ACCESS_READ, ACCESS_WRITE, 0, ACCESS_READ | ACCESS_WRITE};
        PRIVILEGE_SET privileges;
        DWORD privileges_size = sizeof privileges;
        DWORD granted = 0;
        BOOL status = FALSE;
        if (AccessCheck(descriptor, token, ACCESS_READ, &mapping, &privileges, &privileges_size, &granted,
                        &status)) {
            result = status ? 1 : 0;
            RevertToSelf();
            impersonating = false;
        } else {
            result = static_cast<LONG>(GetLastError());
        }
    }

done:
    if (acl) LocalFree(acl);
    if (descriptor) LocalFree(descriptor);
    if (admins) FreeSid(admins);
    if (token) CloseHandle(token);
    if (impersonating) RevertToSelf();
    return result;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    g_instance = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) void __cdecl checkIsAdmin(HWND parent, int string_size, char* variables,
                                                         void** stack_head) {
    g_values.parent_window = parent;
    g_values.string_size = string_size;
    g_values.variables = variables;
    g_values.stack_head = stack_head;
    char text[20];
    ostrilon::DecimalText(IsCallerAdmin(), text);
    PushResultText(text);
}
