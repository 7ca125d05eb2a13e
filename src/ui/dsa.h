// Message dialogs with a "&Don't show this message again" check box. Once the user ticks
// it, the message stays away in later runs: the state lives per message in the current
// user's registry, under DSAStoragePath + "\" + the message's cleaned identifier, value
// "DontShow" (1 = do not show).
#pragma once
#include <array>
#include <stdexcept>
#include <string>

class Registry;
class DSAPlatform;

extern const char* const kDSACheckBoxCaption;  // "&Don't show this message again"
extern const char* const kDSADontShowValue;    // "DontShow"

// Raised when an identifier or a storage path cleans to nothing.
class EDSAError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Dialog results, as the buttons give them.
enum DSAResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                 mrAll = 8, mrNoToAll = 9, mrYesToAll = 10 };
// Buttons (a bit set).
enum DSAButton : unsigned { dbYes = 1, dbNo = 2, dbOK = 4, dbCancel = 8, dbAbort = 16, dbRetry = 32, dbIgnore = 64,
                            dbAll = 128, dbNoToAll = 256, dbYesToAll = 512, dbHelp = 1024 };

// The message dialogs of one run, with the registry their states live in and the platform
// that shows them.
class TDSADialogs {
public:
    TDSADialogs(Registry& registry, DSAPlatform& platform) : registry_(registry), platform_(platform) {}

    // "Software\Quillar\DSADialogs" until the main window sets "Software\Quillar\Dialogs".
    std::string DSAStoragePath = "Software\\Quillar\\DSADialogs";
    void SetDSAStoragePath(const std::string& path) { DSAStoragePath = path; }

    // Shows `msg` unless the user asked not to see it again; the message text is its identifier.
    // kind: 0 warning, 1 error, 2 information, 3 confirmation, 4 custom.
    int DSAMessageDlg(const std::string& msg, int kind, unsigned buttons, int defaultResult, int helpCtx);
    // Empty storagePath: DSAStoragePath; empty ident: the message text.
    int DSAMessageDlgEx(const std::string& msg, int kind, unsigned buttons, int defaultResult,
                        const std::string& storagePath, const std::string& ident, int helpCtx);

    // True when the message may be shown. Registry failures count as "show".
    bool DSAIdentsGetState(const std::string& storagePath, const std::string& ident);
    // Writes "DontShow" := 0 when show, 1 otherwise; a failing write is ignored.
    void DSAIdentsSetState(const std::string& storagePath, const std::string& ident, bool show);

    // Every character that is not alphanumeric in the running code page (nor, with allowPath,
    // one of . : \) becomes a blank; then blanks and control characters at both ends go.
    std::string DSASanitize(const std::string& text, bool allowPath);
    // The registry key of a message's state: cleaned path + "\" + cleaned identifier, at most
    // 127 characters. `operation` names the caller in the error raised for a blank part.
    std::string DSAKeyPath(const std::string& storagePath, const std::string& ident, const char* operation);

private:
    const std::array<bool, 256>& AlphaNumeric();

    Registry& registry_;
    DSAPlatform& platform_;
    // The alphanumeric set of the running code page, taken once.
    bool alnumKnown_ = false;
    std::array<bool, 256> alnum_{};
};

// ---- the platform's part ----

struct DSADialogRequest {
    std::string message;
    int kind = 2;
    unsigned buttons = dbOK;
    int helpContext = 0;
    std::string checkBoxCaption;
};

struct DSADialogOutcome {
    int result = mrNone;
    bool hadCheckBox = false;  // false when the dialog had nothing to place the box by
    bool ticked = false;
};

class DSAPlatform {
public:
    virtual ~DSAPlatform() = default;
    // IsCharAlphaNumeric of the running code page.
    virtual bool IsAlphaNumeric(unsigned char c) = 0;
    // Shows the modal dialog with the check box and returns how it was closed.
    virtual DSADialogOutcome ShowDialog(const DSADialogRequest& request) = 0;
};

// The system's dialogs (Windows) or a stand-in that closes at once with its first button.
DSAPlatform& ProcessDSAPlatform();

// The Windows dialog: its window class, and the control identifiers of the check box and
// of the buttons (button n of the set, in the order above, has kDSAButtonIdBase + n).
extern const char* const kDSADialogClass;  // "TQuillarMessageDialog"
constexpr int kDSACheckBoxId = 1000;
constexpr int kDSAButtonIdBase = 100;
