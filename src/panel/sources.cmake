# The main panel.
sidecar_layer(panel USES controls link resources review stand ui
    CORE panel_rules.cpp tree_rows.cpp
    WIN32 sidecar_dlg.cpp)
