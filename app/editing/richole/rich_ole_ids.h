// Ids and texts of the OLE container. Plain defines: the resource compiler
// reads this header too.
#pragma once

#define IDS_OLE_UNTITLED 50101
#define IDS_OLE_INIT_FAILED 50202
#define IDS_OLE_STORAGE_FAILED 50204
#define IDS_OLE_NO_CLIENT_SITE 50207
#define IDS_OLE_INSERT_SCODE 50208
#define IDS_OLE_INSERT_RESULT 50209
#define IDS_OLE_NO_ICON 50210
#define IDS_OLE_NOT_INSERTED 50211

#define OLE_VERB_FIRST 40200
#define OLE_VERB_LAST 40300
#define OLE_VERB_CONVERT 40301 // the verb menu's Convert entry; nothing runs it
#define OLE_PASTE_ENTRIES_MAX 1024
#define OLE_INSERT_FILE_CHARS 260

#define OLE_UNTITLED_TEXT "Untitled"
#define OLE_APPLICATION_NAME ""
#define OLE_FALLBACK_TEXT "Some sort of error occured"
#define OLE_CACHE_ENUM_TEXT "OleStdSwitchDisplayAspect: Cache enumerator NOT released"
