# The extended message box.
sidecar_layer(msgbox USES controls resources ui
    CORE msg_box_style.cpp
    WIN32 msg_box_ex.cpp)
