# The image review dialog and the console's shared picture.
sidecar_layer(review USES controls link msgbox resources ui
    CORE review_fit.cpp
    WIN32 dlg_review.cpp shared_picture.cpp)
