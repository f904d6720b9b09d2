// Resource and control ids shared by the .rc file and the code.
#pragma once

#define IDI_SORVEL 101
#define IDD_INSERT 102
#define IDC_DRAG_CURSOR 103
#define IDC_HOVER_CURSOR 106
#define IDI_BROWSE 130
#define IDD_ABOUT 155

// Static controls have no id; MinGW's resource headers do not name that.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_PATH 1001
#define IDC_BROWSE 1002
#define IDC_AUTOPLAY 1003
#define IDC_LOOP 1004
