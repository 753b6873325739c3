#pragma once
// Identifiers shared by the resource script and the code; plain #defines because the resource compiler
// reads them too.

#define IDD_MAIN 101
#define IDB_CREST 102
#define IDI_TRAY 103

#define IDC_PICTURE 1001
#define IDC_CRIME 1002
#define IDC_CARRO 1003
#define IDC_CRIME_TIME 1004
#define IDC_CARRO_TIME 1005
#define IDC_VOAR 1006
#define IDC_VOAR_TIME 1007
#define IDC_HEIST 1008
#define IDC_VEHICLE 1009
#define IDC_BALAS 1010
#define IDC_MATAR 1011
#define IDC_OC 1012
#define IDC_HEIST_TIME 1013
#define IDC_OC_TIME 1014
#define IDC_BALAS_TIME 1015
#define IDC_MATAR_TIME 1016
#define IDC_HIDE 1017
#define IDC_RESET 1018
#define IDC_EXIT 1019
