#pragma once
// An object that is made the first time the program uses it rather than when its owner is:
// a page of the main window that is not shown, a dialog that is not open. Start-up then pays
// only for the windows the user sees at once. The object must show, when it is made, the
// state it would have been told about had it been there all along (see IfMade).
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

template <typename T>
class TMadeOnFirstUse {
public:
    using TMake = std::function<std::unique_ptr<T>()>;

    TMadeOnFirstUse() = default;
    explicit TMadeOnFirstUse(TMake make) : FMake(std::move(make)) {}
    TMadeOnFirstUse(const TMadeOnFirstUse&) = delete;
    TMadeOnFirstUse& operator=(const TMadeOnFirstUse&) = delete;

    // How the object is made when it is first asked for.
    void SetMake(TMake make) { FMake = std::move(make); }
    // Runs on each object of its own right after it is made (nullptr: nothing), so that
    // whoever kept its state meanwhile can hand that over; a borrowed object is not told.
    void SetOnMade(std::function<void(T&)> made) { FOnMade = std::move(made); }
    // Stands for an object owned elsewhere (nullptr: none) instead of one of its own.
    TMadeOnFirstUse& operator=(T* borrowed) {
        FBorrowed = borrowed;
        return *this;
    }

    // The object, made now if it is not there yet.
    T& Get() {
        if (FBorrowed) return *FBorrowed;
        if (!FObject) {
            if (!FMake) throw std::logic_error("no way to make the object");
            if (FMaking) throw std::logic_error("the object is used while it is being made");
            FMaking = true;
            struct TDone {
                bool& Flag;
                ~TDone() { Flag = false; }
            } done{FMaking};
            std::unique_ptr<T> made = FMake();
            if (!made) throw std::logic_error("the object was not made");
            if (FOnMade) FOnMade(*made);
            FObject = std::move(made);
        }
        return *FObject;
    }
    // The object, made now if it can be; nullptr when there is none and no way to make it.
    T* TryGet() { return IfMade() ? IfMade() : FMake ? &Get() : nullptr; }
    T* operator->() { return &Get(); }
    T& operator*() { return Get(); }

    // The object if it is there, else nullptr: for work that only brings what the object
    // shows up to date, which it does itself when it is made.
    T* IfMade() const { return FBorrowed ? FBorrowed : FObject.get(); }
    // Destroys an object of its own; it is made again when next used.
    void Reset() { FObject.reset(); }
    // Destroys an object of its own for good: it is not made again (the run is ending).
    void Release() {
        FMake = nullptr;
        FObject.reset();
    }

private:
    TMake FMake;
    std::function<void(T&)> FOnMade;
    std::unique_ptr<T> FObject;
    T* FBorrowed = nullptr;
    bool FMaking = false;
};
