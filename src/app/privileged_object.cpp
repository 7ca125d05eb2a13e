#include "app/privileged_object.h"

#include "common/format.h"

const char* const kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kAutoStartValue = "Quillar";

std::string GuidText(const ComGuid& id) {
    std::string text = Format("{%.8x-%.4x-%.4x-", {id.data1, unsigned(id.data2), unsigned(id.data3)});
    for (int i = 0; i < 8; ++i) {
        if (i == 2) text += '-';
        FormatAppend(text, "%.2x", {unsigned(id.data4[i])});
    }
    return text + "}";
}

std::string ElevationMonikerText(const ComGuid& cls) { return "Elevation:Administrator!new:" + GuidText(cls); }

std::string ComErrorText(int32_t code, const std::string& systemText) {
    if (!systemText.empty()) return systemText;
    return Format("COM error 0x%.8x", {code});
}

std::optional<AutoStartMessage> AutoStartResultMessage(int32_t result) {
    if (result == kSOk) return std::nullopt;
    if (result == kEFail) return AutoStartMessage{"Failed", "Autostart could not be enabled."};
    return AutoStartMessage{"Failed", Format("Unexpected error. Code: 0x%.8x", {result})};
}

std::string InstantiationFailedCaption(const std::string& exceptionClass) {
    return "COM object instantiation failed: " + exceptionClass;
}

bool RequestAutoStart(PrivilegedObjectSource& source, bool enable, const ErrorBoxFunction& errorBox) {
    std::unique_ptr<PrivilegedObject> object;
    try {
        object = source.Create();
    } catch (const EComError& e) {
        errorBox(InstantiationFailedCaption(EComError::ClassName()), e.what());
        return false;
    }
    if (!object) return false;
    const int32_t result = object->SetAutoStart(kAutoStartValue, enable);
    if (auto message = AutoStartResultMessage(result)) errorBox(message->caption, message->text);
    return result == kSOk;
}
