# Wire records and the dispatch of the console's messages: pure, the lowest layer.
sidecar_layer(link
    CORE records.cpp dispatch.cpp)
