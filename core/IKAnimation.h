#pragma once
// The animation engine that moves the user interface's own controls: panels that grow and
// shrink, glyphs that turn, track bars that slide. An animation has a duration, a delay, a
// timing curve and a repeat count; a property animation drives one named property of a QObject
// from its value when the run begins to an end value. Runs advance on a 16 ms tick on the UI
// thread, by a monotonic clock in seconds that tests can replace.

#include "core/IKTypes.h"

#include <QPointer>
#include <functional>

enum class TIKTimingFunctionKind : std::uint8_t { fkCubicBezier, fkSteps };

struct TIKTimingFunction {
    TIKTimingFunctionKind Kind = TIKTimingFunctionKind::fkCubicBezier;
    int Steps = 1;
    bool Ceil = false;
    // The inner control points of a curve from (0, 0) to (1, 1); both X within 0..1.
    TIKPoint FirstPoint;
    TIKPoint SecondPoint;
};

inline constexpr TIKTimingFunction IKTimingEase{
    TIKTimingFunctionKind::fkCubicBezier, 1, false, {0.25f, 0.1f}, {0.25f, 1.0f}};
inline constexpr TIKTimingFunction IKTimingLinear{
    TIKTimingFunctionKind::fkCubicBezier, 1, false, {0, 0}, {1, 1}};
inline constexpr TIKTimingFunction IKTimingEaseIn{
    TIKTimingFunctionKind::fkCubicBezier, 1, false, {0.42f, 0}, {1, 1}};
inline constexpr TIKTimingFunction IKTimingEaseOut{
    TIKTimingFunctionKind::fkCubicBezier, 1, false, {0, 0}, {0.58f, 1}};

// The eased progress for the linear progress p (0 < p < 1).
double IKTimingProgress(const TIKTimingFunction& function, double p);

// The engine's clock in seconds. A replacement (for tests) stays until reset with nullptr.
double IKGetTime();
void IKSetClock(std::function<double()> clock);

// The defaults new animations take: the top of a stack of transactions, or the base one.
class TIKTransaction {
public:
    float Duration = 0.25f;
    TIKTimingFunction TimingFunction = IKTimingEase;
    float Delay = 0;
    int RepeatCount = 0;
    bool Enabled = true;

    static TIKTransaction& Current();
    // Pushes a transaction with the defaults above (not a copy of the current one).
    static void BeginUpdate(bool enabled);
    // Pops the top transaction; raises EIKException on an empty stack.
    static void EndUpdate();
    static void SetDuration(float value) { Current().Duration = value; }
    static void SetTimingFunction(const TIKTimingFunction& value) {
        Current().TimingFunction = value;
    }
    static void SetDelay(float value) { Current().Delay = value; }
    static void SetRepeatCount(int value) { Current().RepeatCount = value; }
    static void Enable() { Current().Enabled = true; }
    static void Disable() { Current().Enabled = false; }
};

class TIKAnimation {
public:
    // Takes duration, timing, delay and repeat count from the current transaction. With
    // FreeOnFinished (the default) the engine deletes the animation when its run ends; an
    // animation kept in a field clears it and is deleted by its owner.
    explicit TIKAnimation(std::function<void()> finishProc = {});
    // Removes the animation's listed runs: no tick reaches a deleted animation.
    virtual ~TIKAnimation();
    TIKAnimation(const TIKAnimation&) = delete;
    TIKAnimation& operator=(const TIKAnimation&) = delete;

    double Duration = 0;
    double Delay = 0;
    TIKTimingFunction TimingFunction;
    // 0 and 1 mean one cycle, N > 1 means N cycles.
    int RepeatCount = 0;
    bool FreeOnFinished = true;
    std::function<void(TIKAnimation*)> OnStart;
    std::function<void(TIKAnimation*)> OnFinish;
    std::function<void(TIKAnimation*, double)> OnProcess;
    std::function<void()> OnFinishProc;

    // Lists a new run (also while an earlier run is listed). Duration, delay and repeat count
    // are copied into the run.
    void Start();
    // Finishes the first active run at once (OnFinish, then OnFinishProc); it leaves the list at
    // the end of the next tick. Without an active run nothing happens, so a second Stop
    // finishes nothing twice.
    void Stop();
    bool IsRunning() const;

protected:
    friend class TIKAnimationEngine;
    virtual void DoStart();
    virtual void DoProcess(double normalizedTime);
    virtual void DoFinish();
};

class TIKPropertyAnimation : public TIKAnimation {
public:
    TIKPropertyAnimation(QObject* target, QString propertyName, TIKValue toValue,
                         std::function<void()> finishProc = {});

    QObject* Target() const { return FTarget; }
    void SetTarget(QObject* target) { FTarget = target; }
    QString PropertyName;
    // Replaced by the property's value when a run begins.
    TIKValue FromValue;
    TIKValue ToValue;

protected:
    void DoStart() override;
    void DoProcess(double normalizedTime) override;

private:
    // A target deleted while the animation lives is no longer written.
    QPointer<QObject> FTarget;
};

// Runs one tick now: reads the clock and advances every listed run by the time since the last
// reading. The UI timer calls it every 16 ms while runs are listed; tests call it directly.
void IKAnimationTick();
// The number of runs listed.
int IKAnimationRunCount();
