#include "Component.h"

#include "SysUtils.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_) std::erase(owner_->components_, this);
}

void TComponent::SetName(const AnsiString& name) { name_ = name; }

TComponent* TComponent::FindComponent(const AnsiString& name) const {
    AnsiString wanted = UpperCase(name);
    for (TComponent* c : components_)
        if (UpperCase(c->name_) == wanted) return c;
    return nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}
