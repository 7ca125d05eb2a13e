// Functions of modules being written alongside: settings, language file, message dialogs,
// processor page. Their own headers replace these declarations when they land.
#pragma once
#include <memory>
#include <string>

#include "app/later.h"

class TQuillarForm;
class TrayIconView;
class WindowsForm;

void SetLanguageFilePath(const std::string& programFile);
std::unique_ptr<TrayIconView> CreateTrayView(WindowsForm& form);

void SetDSAStoragePath(const std::string& path);
bool OpenLanguageFile();
void TranslateForm(TQuillarForm& form);
std::string TranslateText(const std::string& english, int number);
void CloseLanguageFile();
void LoadSettings(TQuillarForm& form);
void SaveSettings(TQuillarForm& form);
void FillCpuPage(TQuillarForm& form);
void FillClockPage(TQuillarForm& form);
int DSAMessageDlg(const std::string& msg, int kind, unsigned buttons, int defaultResult, int helpCtx);
