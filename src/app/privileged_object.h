// Autostart through the privileged object: a COM object of our own maker, created elevated
// where the system needs consent, that adds or removes the Run entry under
// HKEY_LOCAL_MACHINE for the program. This header holds the identifiers, the elevation
// moniker's text and bind block, the result messages and the sequence of one request;
// privileged_object_win32.* make the COM calls.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// A COM identifier in the system's memory layout.
struct ComGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// CoQuillarPrivilegedObject's class and IQuillarPrivilegedObject.
inline constexpr ComGuid CLSID_QuillarPrivilegedObject = {
    0xA57FB97D, 0x28BA, 0x42D7, {0xA4, 0xD8, 0x78, 0x7E, 0x19, 0x9A, 0x36, 0x0E}};
inline constexpr ComGuid IID_IQuillarPrivilegedObject = {
    0x830BDEBB, 0x497E, 0x4079, {0x9D, 0x77, 0x57, 0xD8, 0x27, 0xF0, 0x70, 0x66}};

// The Run entry: value "Quillar" under this key of HKEY_LOCAL_MACHINE.
extern const char* const kRunKeyPath;       // "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
extern const char* const kAutoStartValue;   // "Quillar"

constexpr int32_t kSOk = 0;
constexpr int32_t kSFalse = 1;
constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

// Class contexts of the two ways of creation.
constexpr uint32_t kContextElevatedDirect = 7;  // in-process server and handler, local server
constexpr uint32_t kContextPlain = 5;           // in-process server, local server
constexpr uint32_t kContextLocalServer = 4;     // the elevation moniker's

// Registry format: "{A57FB97D-28BA-42D7-A4D8-787E199A360E}", upper-case digits.
std::string GuidText(const ComGuid& id);
// "Elevation:Administrator!new:" + the class in registry format.
std::string ElevationMonikerText(const ComGuid& cls);

// The BIND_OPTS3 block given with the moniker is 36 bytes in a 32-bit program.
constexpr size_t kBindOpts3Size = 36;

// The elevation moniker is used only on Windows NT version 6 (WindowsVersionCode 14).
inline bool UsesElevationPath(int windowsVersionCode) { return windowsVersionCode == 14; }

// The program's COM error: a failing result of a creation call.
class EComError : public std::runtime_error {
public:
    EComError(int32_t code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int32_t Code() const { return code_; }
    static const char* ClassName() { return "EComError"; }

private:
    int32_t code_;
};

// The text of a COM error: the system's text for the code when it has one, otherwise
// "COM error 0x" + 8 hex digits.
std::string ComErrorText(int32_t code, const std::string& systemText);

struct AutoStartMessage {
    std::string caption;
    std::string text;
};

// What SetAutoStart's result shows: nothing for 0; "Autostart could not be enabled." for
// E_FAIL (also when disabling failed); "Unexpected error. Code: 0x" + 8 hex digits for any
// other result; all captioned "Failed".
std::optional<AutoStartMessage> AutoStartResultMessage(int32_t result);
// "COM object instantiation failed: " + the exception's class name.
std::string InstantiationFailedCaption(const std::string& exceptionClass);

// The privileged object as the program uses it.
class PrivilegedObject {
public:
    virtual ~PrivilegedObject() = default;  // releases the object
    // SetAutoStart(value name, the running program's full path, enable); returns the HRESULT.
    virtual int32_t SetAutoStart(const std::string& valueName, bool enable) = 0;
};

// Creates the object the system's way; raises EComError when that fails.
class PrivilegedObjectSource {
public:
    virtual ~PrivilegedObjectSource() = default;
    virtual std::unique_ptr<PrivilegedObject> Create() = 0;
};

using ErrorBoxFunction = std::function<void(const std::string& caption, const std::string& text)>;

// ApplyAutoStart's request: creates the object (a failure shows the instantiation box and
// stops), calls SetAutoStart("Quillar", program path, enable), shows a failing result,
// releases the object. Returns true exactly when the object reported success; the caller
// then shows the new state (ShowAutoStartState).
bool RequestAutoStart(PrivilegedObjectSource& source, bool enable, const ErrorBoxFunction& errorBox);
