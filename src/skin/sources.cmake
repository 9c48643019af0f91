# The built-in skin engine and its file format.
sidecar_layer(skin USES ui
    CORE skin_file.cpp skin_raster.cpp
    WIN32 builtin_skin.cpp skin_painter.cpp)
