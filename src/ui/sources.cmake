# Our framework layer: windows, dialogs, message maps, window hooks, handle owners, the look, the settings
# file reader, the ways around the window server's costs.
sidecar_layer(ui
    WIN32 message_map.cpp wnd.cpp window_hook.cpp dialog.cpp controls.cpp redraw_batch.cpp enable_batch.cpp window_server.cpp look.cpp profile.cpp
    WIN32_LIBS comctl32 ole32 oleaut32 uuid gdi32 user32 msimg32)
