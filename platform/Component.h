#pragma once
// The class library's component: a named object freed by its owner. A form owns its
// controls, timers, menus and tray icon, and finds them by name.
#include "AnsiString.h"
#include "Object.h"

#include <vector>

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;  // frees what it owns, the last made first
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    AnsiString Name() const { return name_; }
    virtual void SetName(const AnsiString& name);
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    // One of the components this one owns, by name (case ignored); null when none.
    TComponent* FindComponent(const AnsiString& name) const;

protected:
    // Frees the owned components now; a subclass whose components need it alive calls this
    // first in its destructor.
    void DestroyComponents();

private:
    TComponent* owner_;
    AnsiString name_;
    std::vector<TComponent*> components_;
};
