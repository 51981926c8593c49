// The view of containers: a rectangle and a dirty flag; it draws nothing.
#pragma once

#include "framework/views/IMView.h"

class IMEmptyView : public IMView {
public:
    long Draw() override;
};
