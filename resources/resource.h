// Resource ids shared by the resource script and the program.
#pragma once

#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_SESSIONHANDLER 107
#define IDI_SMALL 108
#define IDC_SESSIONHANDLER 109
#define IDI_ABOUT_PICTURE 128
