# The ceiling stand panel and the stand SDK panel.
sidecar_layer(stand USES controls link msgbox resources ui
    CORE stand_tables.cpp
    WIN32 ceil_dlg.cpp sdk_dlg.cpp stand_hold.cpp)
