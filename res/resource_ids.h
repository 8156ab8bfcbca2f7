#pragma once
// Resource IDs shared by the resource scripts and the C++ code that loads
// them. Plain #defines, because the resource compiler reads this file too.

// Toolbar pictures, PNG in RCDATA: 2000 + 10 x (command ID - 1000) + size
// step, where step 0 is the 48 px rendering (100 % scaling), 1 the 72 px
// (150 %) and 2 the 96 px (200 %). The code computes the same numbers.
#define QV_PICTURE_BASE 2000

#define QV_PICTURE_ADD_FILES_48 2000
#define QV_PICTURE_ADD_FILES_72 2001
#define QV_PICTURE_ADD_FILES_96 2002
#define QV_PICTURE_ADD_FOLDER_48 2010
#define QV_PICTURE_ADD_FOLDER_72 2011
#define QV_PICTURE_ADD_FOLDER_96 2012
#define QV_PICTURE_START_48 2020
#define QV_PICTURE_START_72 2021
#define QV_PICTURE_START_96 2022
#define QV_PICTURE_CLEAR_LIST_48 2030
#define QV_PICTURE_CLEAR_LIST_72 2031
#define QV_PICTURE_CLEAR_LIST_96 2032
#define QV_PICTURE_HELP_48 2040
#define QV_PICTURE_HELP_72 2041
#define QV_PICTURE_HELP_96 2042
