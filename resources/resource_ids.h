// Resource numbers of the program's icons and picture.
#pragma once

#define IDI_PROGRAM 500
#define IDI_ABOUT 501
#define IDI_INSTALL 502
#define IDI_REMOVE 503
#define IDI_START 505
#define IDI_STOP 506
#define IDI_INSPECT 507
#define IDI_CLOSE 508
#define IDR_ABOUT_PICTURE 600
