#pragma once
// The class library's screen object: the desktop's work area (the desktop less the task bar)
// that windows place themselves in. UI thread.

class TScreen {
public:
    int WorkAreaLeft() const;
    int WorkAreaTop() const;
    int WorkAreaWidth() const;
    int WorkAreaHeight() const;
    // Stands a work area in for the display's (tests; a display without one), until reset.
    void SetWorkArea(int left, int top, int width, int height);
    void ResetWorkArea();

private:
    struct Area {
        int left, top, width, height;
    };
    Area area() const;
    bool set_ = false;
    Area set_area_{};
};

extern TScreen* Screen;
