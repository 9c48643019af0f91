# Skinned button, styled static, bitmap helper, layered bitmap control.
sidecar_layer(controls USES ui
    CORE dib_layout.cpp
    WIN32 styled_static.cpp skinned_button.cpp base_bitmap.cpp layer_info.cpp layered_bitmap_ctrl.cpp)
