#pragma once
/// @file
/// TPositionSource: where the traveller is, from any QGeoPositionInfoSource (a
/// serial NMEA receiver, the platform's source) or from a replayed NMEA log or
/// track, checked fix by fix, with the state of the fix and a recorded track.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "zylcarto/geomap/position/position_fix.h"
#include "zylcarto/geomap/tracks/track_types.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/export.h"

QT_BEGIN_NAMESPACE
class QGeoPositionInfoSource;
QT_END_NAMESPACE

namespace zylcarto {

class TPositionSourcePrivate;

/// A new checked fix with a position.
using TPositionEvent = std::function<void(TObject* Sender, const TPositionFix& Fix)>;
/// The state of the fix changed to State.
using TFixStateEvent = std::function<void(TObject* Sender, TFixState State)>;
/// The source reported an error; Message says which.
using TPositionErrorEvent = std::function<void(TObject* Sender, const std::string& Message)>;
/// Something happened that carries no value.
using TPositionNotifyEvent = std::function<void(TObject* Sender)>;

/// The live position. A QObject owned by its Qt parent, used from the GUI thread.
/// Every fix is checked (CheckedFix): an update without a usable position, a
/// receiver saying it has no fix or a source error turns FixState to fsNoFix
/// and never moves the position; no update for StaleAfterMs turns it to
/// fsStale. Each event has a handler property (run only when assigned, with
/// the source as Sender) and a Qt signal, the property first. A map shows it
/// when positionUpdated is connected to TGeoMap::ShowPosition and
/// fixStateChanged to TGeoMap::SetPositionCurrent (fsFix: true).
class ZYLCARTO_EXPORT TPositionSource : public QObject, public TObject {
    Q_OBJECT
    /// Milliseconds without an update after which the fix is stale; at least 1.
    Q_PROPERTY(int StaleAfterMs READ StaleAfterMs WRITE SetStaleAfterMs)
    /// Whether fixes are appended to RecordedTrack.
    Q_PROPERTY(bool Recording READ Recording WRITE SetRecording)
    /// The state of the fix, as the ordinal of TFixState.
    Q_PROPERTY(int FixState READ FixStateOrdinal NOTIFY fixStateChanged)

public:
    /// StaleAfterMs of a new source.
    static constexpr int DefaultStaleAfterMs = 5000;

    /// A source without input, in state fsNoFix, under Parent.
    explicit TPositionSource(QObject* Parent = nullptr);
    /// Stops the input; a host's source is left to its owner.
    ~TPositionSource() override;

    /// Takes updates from Source, which the host owns and may delete (it is then
    /// dropped), and starts it; stops the input taken before. Null just stops.
    void SetSource(QGeoPositionInfoSource* Source);
    /// The source updates come from: the host's, or the replay's own; null when stopped.
    QGeoPositionInfoSource* Source() const;
    /// Replays an NMEA log through Qt's NMEA source in simulation mode, Speed
    /// times as fast as its time stamps say (see ScaleNmeaTimes); stops the
    /// input taken before. False, nothing started, for a Speed that is not
    /// finite and positive, and with OnSourceError for a log without a fix.
    bool ReplayNmea(const QByteArray& Log, double Speed = 1);
    /// ReplayNmea of a file; false when it cannot be read.
    bool ReplayNmeaFile(const std::string& FileName, double Speed = 1);
    /// Replays a track (of a GPX file, say) Speed times as fast as its times say,
    /// a second between fixes without times; the course is that of the geodesic
    /// to the next fix, the speed the fix's own or the geodesic's over the time.
    /// A break between segments is a moment without a fix. Fixes the track store
    /// would refuse are passed over. False for a Speed that is not finite and
    /// positive or a track without fixes.
    bool ReplayTrack(const TTrack& Track, double Speed = 1);
    /// ReplayTrack of the first track of a GPX file; false when it cannot be
    /// read, is no GPX or holds no track.
    bool ReplayGpxFile(const std::string& FileName, double Speed = 1);
    /// Stops the input; the fix state and the recorded track stay.
    void Stop();
    /// True while a replay runs.
    bool Replaying() const;

    /// The state of the fix.
    TFixState FixState() const;
    /// The last fix with a position (all NaN before the first); kept when the fix is lost.
    const TPositionFix& LastFix() const;
    /// @{
    /// Milliseconds without an update after which the fix turns stale; values below 1 count as 1.
    int StaleAfterMs() const;
    void SetStaleAfterMs(int Value);
    /// @}

    /// @{
    /// While on, every fix with a position is appended to RecordedTrack; a stretch
    /// without a fix, or recording turned off and on, starts a new segment.
    bool Recording() const;
    void SetRecording(bool Value);
    /// @}
    /// The fixes recorded so far, named "Recorded track".
    const TTrack& RecordedTrack() const;
    /// Empties RecordedTrack.
    void ClearRecordedTrack();
    /// Writes RecordedTrack as a GPX 1.1 file (WriteGpx); false when it cannot be written.
    bool SaveRecordedTrack(const std::string& FileName) const;

    /// Feeds one fix as if the source had sent it: checked, recorded, reported.
    /// For hosts with a receiver of their own.
    void Feed(const TPositionFix& Fix);

    /// Each new fix with a position.
    void SetOnPositionUpdate(TPositionEvent Handler);
    /// FixState changed.
    void SetOnFixStateChange(TFixStateEvent Handler);
    /// The source reported an error (also a log that cannot be read as NMEA).
    void SetOnSourceError(TPositionErrorEvent Handler);
    /// A replay came to its end.
    void SetOnReplayFinished(TPositionNotifyEvent Handler);

Q_SIGNALS:
    /// As OnPositionUpdate, after the handler property.
    void positionUpdated(const zylcarto::TPositionFix& Fix);
    /// As OnFixStateChange, after the handler property: FixState's notification.
    void fixStateChanged(int State);
    /// As OnSourceError, after the handler property.
    void sourceError(const QString& Message);
    /// As OnReplayFinished, after the handler property.
    void replayFinished();

private:
    int FixStateOrdinal() const { return FixState(); }
    friend class TPositionSourcePrivate;
    const std::unique_ptr<TPositionSourcePrivate> d;
};

}  // namespace zylcarto

