// Numbers of the resources in the program's own file: the resource script compiles them in
// and the window loads them, both from here. Plain macros, because the resource compiler
// reads this file too.
#pragma once

#define VESMARIN_ICON_RESOURCE 100
#define VESMARIN_HIGHLIGHT_RESOURCE 250
// The four button pictures are consecutive, in button order: read, copy, send, rescan.
#define VESMARIN_READ_PICTURE_RESOURCE 200
#define VESMARIN_COPY_PICTURE_RESOURCE 201
#define VESMARIN_SEND_PICTURE_RESOURCE 202
#define VESMARIN_RESCAN_PICTURE_RESOURCE 203
#define VESMARIN_WAIT_PICTURE_RESOURCE 300
