// Resource ids of Sidecar.exe: dialog templates, their controls, the icon, the bitmaps and the string table.
// Plain #defines only: this header is read by the resource compiler as well as by C++ code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icon (group icon resource)
#define IDI_SIDECAR 128

// Dialog templates
#define IDD_SIDECAR_DIALOG 102
#define IDD_REVIEW 145
#define IDD_MSGBOX 146
#define IDD_STAND_SDK 153
#define IDD_CEILING_STAND 699

// Bitmaps: message box icons (48 x 48) and the tree's badge strip (four 26 x 17 images)
#define IDB_MSG_WARNING 148
#define IDB_MSG_QUESTION 149
#define IDB_MSG_ERROR 150
#define IDB_MSG_INFO 151
#define IDB_TREE_BADGES 152

// String table: the built-in texts, fetched by id through the text table
#define IDS_ID 154
#define IDS_NAME 155
#define IDS_ACCNO 156
#define IDS_STUDY 157
#define IDS_GENERATOR_STATUS 158
#define IDS_SHOW_DEVICE 159
#define IDS_HIDE_DEVICE 160
#define IDS_SAVE 161
#define IDS_CANCEL 162
#define IDS_MOVE 163
#define IDS_STOP 164
#define IDS_HEIGHT 165
#define IDS_ROTATE 166
#define IDS_DET 167
#define IDS_SID 168
#define IDS_SID_EXT 169
#define IDS_CON 170
#define IDS_ANGLE 171
#define IDS_UP 172
#define IDS_DN 173
#define IDS_REVIEW 174
#define IDS_CANCEL_IMAGE 175
#define IDS_DIS 176
#define IDS_ERR 177
#define IDS_SEN 178
#define IDS_APR 179
#define IDS_MOVING 180
#define IDS_COMPLETED 181
#define IDS_ACKNOWLEDGE 182
#define IDS_TUBE 183
#define IDS_PLEASE_WAIT 184
#define IDS_EMERGENCY_STOP 185
#define IDS_SENSOR_DETECT 186
#define IDS_ERROR_DETECT 187
#define IDS_CHECK 188
#define IDS_PATIENT_INFO 189
#define IDS_CONTROL_PANEL 190
#define IDS_CONTROL_MODE 191
#define IDS_MESSAGE 192
#define IDS_OK 193
#define IDS_YES 194
#define IDS_NO 195
#define IDS_ABORT 196
#define IDS_RETRY 197
#define IDS_IGNORE 198
#define IDS_YES_TO_ALL 199
#define IDS_NO_TO_ALL 200
#define IDS_FIRST IDS_ID
#define IDS_LAST IDS_NO_TO_ALL

// Main panel (IDD_SIDECAR_DIALOG)
// Exposure rows: label, "<" (down), value, ">" (up)
#define IDC_KVP_DOWN 1000
#define IDC_KVP_UP 1001
#define IDC_MA_DOWN 1002
#define IDC_MA_UP 1003
#define IDC_MAS_DOWN 1004
#define IDC_MAS_UP 1005
#define IDC_TIME_DOWN 1034
#define IDC_TIME_UP 1035
#define IDC_KVP_LABEL 1046
#define IDC_MA_LABEL 1047
#define IDC_MAS_LABEL 1048
#define IDC_TIME_LABEL 1049
#define IDC_KVP_VALUE 1050
#define IDC_MA_VALUE 1051
#define IDC_MAS_VALUE 1052
#define IDC_TIME_VALUE 1053
// Control mode and AEC
#define IDC_MODE_AEC 1054
#define IDC_MODE_MAS 1055
#define IDC_MODE_MS 1056
#define IDC_AEC_LEFT 1057
#define IDC_AEC_CENTER 1058
#define IDC_AEC_RIGHT 1059
#define IDC_AEC_DOWN 1038
#define IDC_AEC_VALUE 1060
#define IDC_AEC_UP 1036
// Patient size 0 to 3 ("P", "S", "M", "L"; "S", "M", "L", "XL" in the veterinary setting)
#define IDC_SIZE_0 1030
#define IDC_SIZE_1 1031
#define IDC_SIZE_2 1032
#define IDC_SIZE_3 1033
// Patient identification: labels (statics) and values (buttons)
#define IDC_ID_LABEL 1011
#define IDC_NAME_LABEL 1012
#define IDC_ACCNO_LABEL 1013
#define IDC_STUDY_LABEL 1014
#define IDC_PATIENT_NAME 1072
#define IDC_PATIENT_ID 1073
#define IDC_ACCESSION_NO 1075
#define IDC_STUDY 1076
// Protocol tree, lamps, frames and the bottom bar
#define IDC_TREE 1041
#define IDC_LAMP_G 1061
#define IDC_LAMP_R 1062
#define IDC_LAMP_E 1063
#define IDC_PATIENT_GROUP 1064
#define IDC_CONTROL_GROUP 1065
#define IDC_MODE_GROUP 1066
#define IDC_SPARE_GROUP_A 1067
#define IDC_SPARE_GROUP_B 1068
#define IDC_GENERATOR_LABEL 1071
#define IDC_LOGO 1077
#define IDC_SEPARATOR 1078
#define IDC_LOGO_BUTTON 1079
#define IDC_DEVICE 1083

// Review dialog (IDD_REVIEW)
#define IDC_REVIEW_ACCNO_LABEL 1034
#define IDC_REVIEW_PICTURE 1035
#define IDC_REVIEW_FRAME 1036
#define IDC_REVIEW_NAME_LABEL 1037
#define IDC_REVIEW_ID_LABEL 1038
#define IDC_REVIEW_STUDY_LABEL 1039
#define IDC_REVIEW_PATIENT_NAME 1072
#define IDC_REVIEW_PATIENT_ID 1073
#define IDC_REVIEW_PATIENT_GROUP 1074
#define IDC_REVIEW_ACCESSION_NO 1075
#define IDC_REVIEW_STUDY 1076

// Extended message box (IDD_MSGBOX)
#define IDC_MSGBOX_TEXT 1040

// Stand SDK panel (IDD_STAND_SDK): row r (0 HEIGHT .. 4 SID EXT.) is label, value, "<", ">" at 1089 + 4r
#define IDC_SDK_CONNECTION 1080
#define IDC_SDK_STATUS 1084
#define IDC_SDK_AUTO_MOVE 1085
#define IDC_SDK_SAVE 1086
#define IDC_SDK_STOP 1087
#define IDC_SDK_MOVE 1088
#define IDC_SDK_HEIGHT_LABEL 1089
#define IDC_SDK_HEIGHT_VALUE 1090
#define IDC_SDK_HEIGHT_DOWN 1091
#define IDC_SDK_HEIGHT_UP 1092
#define IDC_SDK_ROTATE_LABEL 1093
#define IDC_SDK_ROTATE_VALUE 1094
#define IDC_SDK_ROTATE_DOWN 1095
#define IDC_SDK_ROTATE_UP 1096
#define IDC_SDK_DET_LABEL 1097
#define IDC_SDK_DET_VALUE 1098
#define IDC_SDK_DET_DOWN 1099
#define IDC_SDK_DET_UP 1100
#define IDC_SDK_SID_LABEL 1101
#define IDC_SDK_SID_VALUE 1102
#define IDC_SDK_SID_DOWN 1103
#define IDC_SDK_SID_UP 1104
#define IDC_SDK_SIDEXT_LABEL 1105
#define IDC_SDK_SIDEXT_VALUE 1106
#define IDC_SDK_SIDEXT_DOWN 1107
#define IDC_SDK_SIDEXT_UP 1108
#define IDC_SDK_FIRST_ROW IDC_SDK_HEIGHT_LABEL
#define IDC_SDK_ROW_COUNT 5

// Ceiling stand panel (IDD_CEILING_STAND)
#define IDC_CEIL_SID_LABEL 1089
#define IDC_CEIL_HEIGHT_LABEL 1092
#define IDC_CEIL_ANGLE_LABEL 1093
#define IDC_CEIL_LOCK_LABEL 1094
#define IDC_CEIL_HIDE_UARM 2356
#define IDC_CEIL_FREE 2393
#define IDC_CEIL_SYNC 2394
#define IDC_CEIL_SHORT 2395
#define IDC_CEIL_LONG 2396
#define IDC_CEIL_SWING 2397
#define IDC_CEIL_TUBE 2398
#define IDC_CEIL_UP 2399
#define IDC_CEIL_DOWN 2400
#define IDC_CEIL_SID_VALUE 2401
#define IDC_CEIL_AUX_VALUE 2402
#define IDC_CEIL_ANGLE_VALUE 2403
#define IDC_CEIL_CHECK 2404
