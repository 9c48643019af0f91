#include "panel/panel_rules.h"

#include "resources/resource.h"

namespace panel {

namespace {

// Rows of the exposure block are 72 pixels apart; the patient size buttons 93 apart.
constexpr CPlace kLayout[] = {
    {IDC_ID_LABEL, 552, 56, 98, 28},        {IDC_NAME_LABEL, 552, 93, 98, 28},
    {IDC_ACCNO_LABEL, 552, 130, 98, 28},    {IDC_STUDY_LABEL, 552, 167, 98, 28},
    {IDC_PATIENT_ID, 677, 50, 243, 28},     {IDC_PATIENT_NAME, 677, 87, 243, 28},
    {IDC_ACCESSION_NO, 677, 124, 243, 28},  {IDC_STUDY, 677, 161, 243, 28},
    {IDC_PATIENT_GROUP, 529, 21, 428, 180}, {IDC_KVP_LABEL, 93, 49, 98, 50},
    {IDC_MA_LABEL, 93, 121, 98, 50},        {IDC_MAS_LABEL, 93, 193, 98, 50},
    {IDC_TIME_LABEL, 93, 265, 98, 50},      {IDC_KVP_DOWN, 205, 49, 62, 50},
    {IDC_MA_DOWN, 205, 121, 62, 50},        {IDC_MAS_DOWN, 205, 193, 62, 50},
    {IDC_TIME_DOWN, 205, 265, 62, 50},      {IDC_KVP_VALUE, 278, 49, 96, 50},
    {IDC_MA_VALUE, 278, 121, 96, 50},       {IDC_MAS_VALUE, 278, 193, 96, 50},
    {IDC_TIME_VALUE, 278, 265, 96, 50},     {IDC_KVP_UP, 386, 49, 62, 50},
    {IDC_MA_UP, 386, 121, 62, 50},          {IDC_MAS_UP, 386, 193, 62, 50},
    {IDC_TIME_UP, 386, 265, 62, 50},        {IDC_CONTROL_GROUP, 63, 20, 418, 310},
    {IDC_MODE_MAS, 93, 383, 172, 50},       {IDC_MODE_MS, 277, 383, 172, 50},
    {IDC_MODE_AEC, 93, 460, 96, 120},       {IDC_AEC_LEFT, 206, 460, 70, 56},
    {IDC_AEC_CENTER, 291, 460, 70, 56},     {IDC_AEC_RIGHT, 379, 460, 70, 56},
    {IDC_AEC_DOWN, 206, 536, 62, 45},       {IDC_AEC_VALUE, 280, 536, 96, 45},
    {IDC_AEC_UP, 387, 536, 62, 45},         {IDC_SIZE_0, 93, 610, 78, 50},
    {IDC_SIZE_1, 186, 610, 78, 50},         {IDC_SIZE_2, 279, 610, 78, 50},
    {IDC_SIZE_3, 372, 610, 78, 50},         {IDC_MODE_GROUP, 63, 354, 418, 320},
    {IDC_SEPARATOR, 64, 689, 894, 2},       {IDC_GENERATOR_LABEL, 146, 708, 160, 28},
    {IDC_LAMP_R, 350, 700, 32, 32},         {IDC_LAMP_E, 420, 700, 32, 32},
    {IDC_LOGO, 670, 695, 250, 40},          {IDC_LOGO_BUTTON, 670, 695, 250, 40},
    {IDC_DEVICE, 529, 695, 120, 40},
};

constexpr CPlace kTreeFull{IDC_TREE, 529, 215, 428, 460};
constexpr CPlace kTreeShort{IDC_TREE, 529, 215, 428, 310};
constexpr CPlace kCeiling{IDD_CEILING_STAND, 529, 534, 428, 140};

Enable Pick(bool on) {
    return on ? Enable::On : Enable::Off;
}

}  // namespace

std::span<const CPlace> ControlLayout() {
    return kLayout;
}
CPlace TreePlace(bool withCeilingPanel) {
    return withCeilingPanel ? kTreeShort : kTreeFull;
}
CPlace CeilingPanelPlace() {
    return kCeiling;
}
CPlace SdkPanelPlace() {
    return {IDD_STAND_SDK, kTreeFull.x, kTreeFull.y, kTreeFull.cx, kTreeFull.cy};
}

bool ModeChangeRuns(int mode, int currentMode) {
    return mode == 2 || mode != currentMode;
}

bool ModeClearsAecValue(int mode) {
    return mode == 0 || mode == 1;
}

std::vector<CControlLook> ModeLooks(int mode, int aecSubMode, const std::array<int, 3>& aecField) {
    if (mode < 0 || mode > 2)
        return {};
    const bool aec = mode == 2;
    const Enable ma = mode == 1 ? Enable::Keep : Enable::On;
    const Enable mas = Pick(mode == 1 || (aec && aecSubMode == 1));
    const Enable time = Pick(mode == 0 || (aec && aecSubMode == 2));
    const Enable aecRow = Pick(aec);
    static constexpr const wchar_t* kFieldPlain[] = {L"sidecar_aec0", L"sidecar_aec1", L"sidecar_aec2"};
    static constexpr const wchar_t* kFieldPressed[] = {L"panelControl_aec0Btn_pr", L"panelControl_aec1Btn_pr",
                                                       L"panelControl_aec2Btn_pr"};
    auto field = [&](int i) -> const wchar_t* {
        if (!aec)
            return nullptr;
        return aecField[static_cast<std::size_t>(i)] == 1 ? kFieldPressed[i] : kFieldPlain[i];
    };
    return {
        {IDC_KVP_DOWN, Enable::On, nullptr},
        {IDC_KVP_UP, Enable::On, nullptr},
        {IDC_MA_DOWN, ma, nullptr},
        {IDC_MA_UP, ma, nullptr},
        {IDC_MAS_DOWN, mas, nullptr},
        {IDC_MAS_UP, mas, nullptr},
        {IDC_TIME_DOWN, time, nullptr},
        {IDC_TIME_UP, time, nullptr},
        {IDC_AEC_DOWN, aecRow, nullptr},
        {IDC_AEC_UP, aecRow, nullptr},
        {IDC_AEC_LEFT, aecRow, field(0)},
        {IDC_AEC_CENTER, aecRow, field(1)},
        {IDC_AEC_RIGHT, aecRow, field(2)},
        {IDC_MODE_AEC, Enable::Keep, aec ? L"panelControl_aecBtn_pr" : L"sidecar_pBtn_aec"},
        {IDC_MODE_MAS, Enable::Keep, mode == 1 ? L"panelControl_activeCtrlBtn_pr" : L"sidecar_pBtn_mamas"},
        {IDC_MODE_MS, Enable::Keep, mode == 0 ? L"panelControl_activeCtrlBtn_pr" : L"sidecar_pBtn_mamas"},
    };
}

bool PanelInPlace(int clientLeft, int clientTop, int posX, int posY) {
    return clientLeft - 1 == posX || clientTop - 1 == posY;
}

const wchar_t* SizeButtonSkin(int index, int shownSize) {
    return index == shownSize ? L"panelControl_patsizeBtn_pr" : L"sidecar_pBtn_psml";
}

int ProtocolImage(std::wstring_view text) {
    return text.find(L":Y", 1) != std::wstring_view::npos ? kDoneImage : kPendingImage;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
    std::wstring out;
    std::size_t at = 0;
    for (;;) {
        std::size_t hit = text.find(from, at);
        if (hit == std::wstring_view::npos || from.empty())
            break;
        out.append(text.substr(at, hit - at)).append(to);
        at = hit + from.size();
    }
    out.append(text.substr(at));
    return out;
}

}  // namespace panel
