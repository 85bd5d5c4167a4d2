/* Identifiers of the program's resources, shared by the resource script and the code. */
#pragma once

#define IDI_PROGRAM 1       /* the program icon, also the main window's designed icon */
#define IDR_BACKGROUND 101  /* main window background, BMP */
#define IDR_BUTTON_FACE 102 /* face of the picture buttons, JPEG */
#define IDR_LOGO 103        /* logo of the About window, GIF */

/* The maker's copyright line, shown in the About window and written into the version data. */
#define VELT_COPYRIGHT_LINE "Copyright (C) 2003-2005 Velt Development"
