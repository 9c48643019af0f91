# Our framework layer: windows, dialogs, message maps, handle owners, the look, the settings file reader.
sidecar_layer(ui
    WIN32 message_map.cpp wnd.cpp window_hook.cpp dialog.cpp controls.cpp redraw_batch.cpp enable_batch.cpp window_server.cpp look.cpp profile.cpp
    WIN32_LIBS comctl32 ole32 oleaut32 uuid gdi32 user32 msimg32)
