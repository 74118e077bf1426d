#pragma once
// Resource identifiers of the program's pictures (assets/assets.rc).
#define IDI_ZELBAR 1
#define IDB_TITLE 101
#define IDB_LOGO 102
#define IDB_STATUS_OK 103
#define IDB_STATUS_WARNING 104
#define IDB_STATUS_ERROR 105
#define IDB_PROGRESS_BG 106
#define IDB_FORM1_IMAGE 107
