/* Resource and control ids, shared by launcher.rc and the program. */
#ifndef LAUNCHER_IDS_H
#define LAUNCHER_IDS_H

#define IDC_FIRST_CHOICE 101
#define IDC_SECOND_CHOICE 102
#define IDC_MESSAGE 105

#endif
