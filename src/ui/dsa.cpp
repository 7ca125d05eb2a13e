#include "ui/dsa.h"

#include <memory>

#include "common/registry.h"

const char* const kDSACheckBoxCaption = "&Don't show this message again";
const char* const kDSADontShowValue = "DontShow";
const char* const kDSADialogClass = "TQuillarMessageDialog";

namespace {
constexpr size_t kMaxKeyLength = 127;
}  // namespace

const std::array<bool, 256>& TDSADialogs::AlphaNumeric() {
    if (!alnumKnown_) {
        for (int c = 0; c < 256; ++c) alnum_[c] = platform_.IsAlphaNumeric(static_cast<unsigned char>(c));
        alnumKnown_ = true;
    }
    return alnum_;
}

std::string TDSADialogs::DSASanitize(const std::string& text, bool allowPath) {
    const std::array<bool, 256>& alnum = AlphaNumeric();
    std::string out = text;
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        const bool pathChar = allowPath && (c == '.' || c == ':' || c == '\\');
        if (!pathChar && !alnum[c]) ch = ' ';
    }
    size_t b = 0, e = out.size();
    while (b < e && static_cast<unsigned char>(out[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(out[e - 1]) <= ' ') --e;
    return out.substr(b, e - b);
}

std::string TDSADialogs::DSAKeyPath(const std::string& storagePath, const std::string& ident, const char* operation) {
    const std::string path = DSASanitize(storagePath.empty() ? DSAStoragePath : storagePath, true);
    const std::string id = DSASanitize(ident, false);
    if (path.empty() || id.empty()) throw EDSAError(std::string(operation) + " storage specifier blank");
    std::string key = path;
    if (key.back() != '\\') key += '\\';
    key += id;
    if (key.size() > kMaxKeyLength) key.resize(kMaxKeyLength);
    return key;
}

bool TDSADialogs::DSAIdentsGetState(const std::string& storagePath, const std::string& ident) {
    const std::string key = DSAKeyPath(storagePath, ident, "DSAIdentsGetState");
    bool show = true;
    if (std::unique_ptr<RegistryKey> k = registry_.Open(RegistryRoot::CurrentUser, key, KeyAccess::Read)) {
        int32_t value = 0;
        if (k->ReadInteger(kDSADontShowValue, value) == RegistryRead::Ok) show = value == 0;
    }
    return show;
}

void TDSADialogs::DSAIdentsSetState(const std::string& storagePath, const std::string& ident, bool show) {
    const std::string key = DSAKeyPath(storagePath, ident, "DSAIdentsSetState");
    if (std::unique_ptr<RegistryKey> k = registry_.Open(RegistryRoot::CurrentUser, key, KeyAccess::Create))
        k->WriteInteger(kDSADontShowValue, show ? 0 : 1);
}

int TDSADialogs::DSAMessageDlgEx(const std::string& msg, int kind, unsigned buttons, int defaultResult,
                    const std::string& storagePath, const std::string& ident, int helpCtx) {
    const std::string id = ident.empty() ? msg : ident;
    if (!DSAIdentsGetState(storagePath, id)) return defaultResult;
    DSADialogRequest request;
    request.message = msg;
    request.kind = kind;
    request.buttons = buttons;
    request.helpContext = helpCtx;
    request.checkBoxCaption = kDSACheckBoxCaption;
    const DSADialogOutcome outcome = platform_.ShowDialog(request);
    // The state is written after every showing, so an unticked box stores 0.
    if (outcome.hadCheckBox) DSAIdentsSetState(storagePath, id, !outcome.ticked);
    return static_cast<int16_t>(outcome.result);
}

int TDSADialogs::DSAMessageDlg(const std::string& msg, int kind, unsigned buttons, int defaultResult, int helpCtx) {
    return DSAMessageDlgEx(msg, kind, buttons, defaultResult, std::string(), std::string(), helpCtx);
}
