// Every resource, control and command id of the program. Only #defines: the resource
// compiler reads this file too.
#pragma once

// Dialog templates
#define IDD_ABOUT                 100
#define IDD_PICTURE               102
#define IDD_COMMENT               132
#define IDD_ANY_SIZE              133

// Cursor, icon, menu
#define IDC_DRAG_CURSOR           106
#define IDI_VISTELLO              128
#define IDR_POPUP_MENU            130

// Controls (unique within their dialog; IDC_STATIC for labels that are never addressed)
#define IDC_STATIC                -1
#define IDC_WORK_TITLE            1006
#define IDC_COMMENT_TEXT          1007
#define IDC_SIZE_SPIN             1009
#define IDC_SIZE_EDIT             1010
#define IDC_UNPACK                1011
#define IDC_ABOUT_NAME            1020
#define IDC_ABOUT_COPYRIGHT       1021

// System-menu commands the picture window adds (multiples of 16, as system commands must be)
#define IDM_SYS_ABOUT             0x10
#define IDM_CENTRE                0x20
#define IDM_SYS_COMMENT           0x30

// Context-menu commands
#define IDM_QUIT                  32771
#define IDM_MENU_CANCEL           32772
#define IDM_ABOUT                 32773
#define IDM_RESTORE_FILE          32774
#define IDM_COMMENT               32775
#define IDM_TOP_LEFT              32777
#define IDM_TOP_RIGHT             32778
#define IDM_BOTTOM_RIGHT          32780
#define IDM_BOTTOM_LEFT           32781
#define IDM_ALWAYS_ON_TOP         32782
#define IDM_WALLPAPER_CENTRE      32783
#define IDM_WALLPAPER_TILE        32784
#define IDM_ZOOM_200              32785
#define IDM_ZOOM_100              32786
#define IDM_ZOOM_400              32787
#define IDM_ZOOM_50               32788
#define IDM_ANY_SIZE              32789
#define IDM_SAVE_SETTINGS         32790
#define IDM_CANCEL_AUTO_EXIT      32792
#define IDM_NORMAL_ZORDER         32793
#define IDM_ALWAYS_AT_BOTTOM      32794

// Strings
#define IDS_APP_TITLE             57344
