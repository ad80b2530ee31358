#include "editing_entry.h"

#include "calculator_note.h"
#include "check_list.h"
#include "console_mode.h"
#include "edit_toolbar.h"
#include "exchange/dde_exchange.h"
#include "exchange/export_files.h"
#include "exchange/mail.h"
#include "find_replace.h"
#include "printing.h"
#include "richole/rich_ole.h"
#include "spell_dialog.h"
#include "syntax_config.h"
#include "syntax_richedit.h"

// Every entry is filled below: a record that grows needs its call here too.
static_assert(sizeof(EditingFeatures) == 48 * sizeof(void (*)(void)), "every call filled");

static EditingFeatures MakeEditingFeatures(void)
{
    EditingFeatures f = {};
    f.runEditTextOp = RunEditTextOp;
    f.consoleStart = ConsoleStart;
    f.consoleStop = ConsoleStop;
    f.consoleWrite = ConsoleWrite;
    f.consoleListProcesses = ConsoleListProcesses;
    f.createEditBar = CreateEditBar;
    f.attachEditBar = AttachEditBar;
    f.editBarSlot = EditBarSlot;
    f.placeEditBar = PlaceEditBar;
    f.refreshEditBar = RefreshEditBar;
    f.objectActiveInPlace = ObjectActiveInPlace;
    f.richOleAttach = RichOleAttach;
    f.richOleDetach = RichOleDetach;
    f.richOleVerbCommand = RichOleVerbCommand;
    f.richOleResizeBorder = RichOleResizeBorder;
    f.richOleFrameActivate = RichOleFrameActivate;
    f.richOleFocusActiveObject = RichOleFocusActiveObject;
    f.richOleInsertObject = RichOleInsertObject;
    f.richOlePasteSpecial = RichOlePasteSpecial;
    f.richOleHoldsObjects = RichOleHoldsObjects;
    f.createCheckList = CreateCheckList;
    f.readCheckListItems = ReadCheckListItems;
    f.findReplaceTakesMessage = FindReplaceTakesMessage;
    f.openFindReplaceDialog = OpenFindReplaceDialog;
    f.findReplaceMessage = FindReplaceMessage;
    f.onFindReplaceMessage = OnFindReplaceMessage;
    f.findReplaceOwnerDestroyed = FindReplaceOwnerDestroyed;
    f.printZettly = PrintZettly;
    f.printPreviewDlgProc = PrintPreviewDlgProc;
    f.spellCheckDlgProc = SpellCheckDlgProc;
    f.loadSyntaxConfig = LoadSyntaxConfig;
    f.freeSyntaxConfig = FreeSyntaxConfig;
    f.syntaxLanguageCount = SyntaxLanguageCount;
    f.syntaxLanguageName = SyntaxLanguageName;
    f.syntaxFormatRange = SyntaxFormatRange;
    f.ddeServerStart = DdeServerStart;
    f.ddeServerStop = DdeServerStop;
    f.ddeSendFileToRunningInstance = DdeSendFileToRunningInstance;
    f.mailInit = MailInit;
    f.mailShutdown = MailShutdown;
    f.mailReady = MailReady;
    f.mailZettlyCommand = MailZettlyCommand;
    f.exportZettliesToFolder = ExportZettliesToFolder;
    f.importZettliesFromFolder = ImportZettliesFromFolder;
    f.importZettlyDialog = ImportZettlyDialog;
    f.exportZettlyDialog = ExportZettlyDialog;
    f.insertFileDialog = InsertFileDialog;
    f.insertFileIntoZettly = InsertFileIntoZettly;
    return f;
}

const EditingFeatures *ZettliesEditingFeatures(void)
{
    static const EditingFeatures features = MakeEditingFeatures();
    return &features;
}
