// Native stand-in: the Windows-1252 alphanumerics, and a dialog that no one sees, closed
// at once with its first button and the box left unticked.
#include "ui/dsa.h"

namespace {

class PosixDSAPlatform : public DSAPlatform {
public:
    bool IsAlphaNumeric(unsigned char c) override {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
        switch (c) {
            case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
            case 0xAA: case 0xB2: case 0xB3: case 0xB5: case 0xB9: case 0xBA:
                return true;
            default:
                return c >= 0xC0 && c != 0xD7 && c != 0xF7;
        }
    }
    DSADialogOutcome ShowDialog(const DSADialogRequest& request) override {
        static const int kResults[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                       mrYesToAll};
        DSADialogOutcome outcome;
        outcome.hadCheckBox = true;
        for (int i = 0; i < 10; ++i)
            if (request.buttons & (1u << i)) {
                outcome.result = kResults[i];
                break;
            }
        return outcome;
    }
};

}  // namespace

DSAPlatform& ProcessDSAPlatform() {
    static PosixDSAPlatform platform;
    return platform;
}
