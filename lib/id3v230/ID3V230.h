#pragma once
// The updatable ID3v2.3 tag: the frames of one MP3 file's ID3v2 tag, well-known
// values as properties, and the writing of the whole list back as the file's
// new ID3v2.3 tag through id3lib.
//
// Reading takes the frames from the tag's frame model (nothing reaches id3lib
// before a save); a version 2.2 tag is taken in its version 2.3 form and
// saved as version 2.3. Saving builds the complete new file beside the MP3 and puts
// it in place with one rename: frames the list did not change are carried over
// byte for byte, changed and new frames are rendered by id3lib. The class
// reports failures through its boolean and code results (LastFailure says
// why); only loading throws, for a file that cannot be read or a damaged tag.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Collection.h"
#include "core/Picture.h"
#include "id3v2/UpdatableTag.h"
#include "id3v230/ID3Enumerations.h"
#include "id3v230/ID3V230Frame.h"
#include "id3v230/TagValue.h"

namespace korvel {

class ID3LibBinding;
struct TagContents;

class ID3V230 : public UpdatableTag {
public:
    ID3V230();
    ~ID3V230() override;
    ID3V230(const ID3V230&) = delete;
    ID3V230& operator=(const ID3V230&) = delete;

    // Free for the host's use; the class never sets them.
    bool HadError() const { return m_hadError; }
    void setHadError(bool value) { m_hadError = value; }
    const std::string& ErrorDescription() const { return m_errorDescription; }
    void setErrorDescription(const std::string& value) { m_errorDescription = value; }

    // The value of the first frame of that type and description (exact); an
    // empty value when there is none. Deleted and duplicate frames count.
    TagValue FrameValue(ID3_FrameID eFrameID, const std::string& Descriptor = "") const;

    // What id3lib's link reported at the last load, and the number of frames
    // it found (not changed by adding or deleting frame objects).
    int32_t FramesSize() const { return m_framesSize; }
    int16_t FrameCount() const { return m_frameCount; }

    std::string Title() const { return Text(ID3FID_TITLE); }
    void setTitle(const std::string& value) { SetFrameValue(ID3FID_TITLE, value); }
    std::string Song() const { return Text(ID3FID_TITLE); }
    void setSong(const std::string& value) { SetFrameValue(ID3FID_TITLE, value); }
    std::string Artist() const { return Text(ID3FID_LEADARTIST); }
    void setArtist(const std::string& value) { SetFrameValue(ID3FID_LEADARTIST, value); }
    std::string ArtistURL() const { return Text(ID3FID_WWWARTIST); }
    void setArtistURL(const std::string& value) { SetFrameValue(ID3FID_WWWARTIST, value); }
    std::string UserURL() const { return Text(ID3FID_WWWUSER); }
    void setUserURL(const std::string& value) { SetFrameValue(ID3FID_WWWUSER, value); }
    std::string Album() const { return Text(ID3FID_ALBUM); }
    void setAlbum(const std::string& value) { SetFrameValue(ID3FID_ALBUM, value); }
    // The whole TRCK text, for example "3/12".
    std::string Track() const { return Text(ID3FID_TRACKNUM); }
    void setTrack(const std::string& value) { SetFrameValue(ID3FID_TRACKNUM, value); }
    std::string Composer() const { return Text(ID3FID_COMPOSER); }
    void setComposer(const std::string& value) { SetFrameValue(ID3FID_COMPOSER, value); }
    std::string OriginalArtist() const { return Text(ID3FID_ORIGARTIST); }
    void setOriginalArtist(const std::string& value) { SetFrameValue(ID3FID_ORIGARTIST, value); }
    std::string Copyright() const { return Text(ID3FID_COPYRIGHT); }
    void setCopyright(const std::string& value) { SetFrameValue(ID3FID_COPYRIGHT, value); }
    std::string EncodedBy() const { return Text(ID3FID_ENCODEDBY); }
    void setEncodedBy(const std::string& value) { SetFrameValue(ID3FID_ENCODEDBY, value); }
    // The number after the first "/" of TRCK (0 without one); writing keeps
    // the text before the "/" and replaces the rest.
    int16_t TotalTracks() const;
    void setTotalTracks(int16_t value);
    // The numeric value of the TYER text (0 for none or one out of range);
    // written as the number itself.
    int16_t Year() const;
    void setYear(int16_t value) { SetFrameValue(ID3FID_YEAR, TagValue(value)); }
    std::string Comments() const { return Text(ID3FID_COMMENT); }
    void setComments(const std::string& value) { SetFrameValue(ID3FID_COMMENT, value); }
    std::string UniqueKey() const { return Text(ID3FID_UNIQUEFILEID); }
    void setUniqueKey(const std::string& value) { SetFrameValue(ID3FID_UNIQUEFILEID, value); }
    // The TCON text without leading and trailing blanks; written as given.
    std::string Genre() const;
    void setGenre(const std::string& value) { SetFrameValue(ID3FID_CONTENTTYPE, value); }
    std::string UserText() const { return Text(ID3FID_USERTEXT); }
    void setUserText(const std::string& value) { SetFrameValue(ID3FID_USERTEXT, value); }
    std::string LyricsUnsynced() const { return Text(ID3FID_UNSYNCEDLYRICS); }
    void setLyricsUnsynced(const std::string& value) { SetFrameValue(ID3FID_UNSYNCEDLYRICS, value); }
    std::string LyricsSynced() const { return Text(ID3FID_SYNCEDLYRICS); }
    void setLyricsSynced(const std::string& value) { SetFrameValue(ID3FID_SYNCEDLYRICS, value); }
    PicturePtr Picture() const { return GetFramePicture(ID3FID_PICTURE); }
    void setPicture(PicturePtr value) { SetFramePicture(ID3FID_PICTURE, std::move(value)); }
    std::string Tempo() const { return Text(ID3FID_COMMENT, kTempo); }
    void setTempo(const std::string& value) { SetFrameValue(ID3FID_COMMENT, value, kTempo); }
    std::string Mood() const { return Text(ID3FID_COMMENT, kMood); }
    void setMood(const std::string& value) { SetFrameValue(ID3FID_COMMENT, value, kMood); }
    std::string Situation() const { return Text(ID3FID_COMMENT, kSituation); }
    void setSituation(const std::string& value) { SetFrameValue(ID3FID_COMMENT, value, kSituation); }
    std::string Preference() const { return Text(ID3FID_COMMENT, kPreference); }
    void setPreference(const std::string& value) { SetFrameValue(ID3FID_COMMENT, value, kPreference); }

    // The frame list itself (1-based), not a copy.
    std::shared_ptr<Collection<ID3V230Frame>> Frames() const { return m_frames; }

    // ---- Library-internal operations ----

    // Clears the list; when id3lib is present and the file can be opened,
    // attaches the file and loads its frames.
    void AttachFile(const std::string& fileName);
    // Replaces the list by the frames of the attached file's ID3v2 tag.
    // Throws KorvelException (and AttachFile with it) when the file cannot be
    // read or its tag is damaged; the object then refuses to save over that
    // tag.
    void LoadFrames();
    // Writes the frame list as the file's ID3v2.3 tag. The argument is not
    // used. False when nothing was written; the file is then unchanged.
    bool UpdateTag(int32_t tagType) override;
    // Removes the tags of the given ID3_TagType bits from the file; returns
    // an id3lib error code (0 = success, 11 without library or file, 12 when
    // the file could not be rewritten, 3 when a Lyrics3 tag to be removed is
    // damaged or MusicMatch tags are asked for: id3lib is not given those).
    int32_t StripTag(int32_t tagFlags) override;
    // Splits the genre text "(17)Rock" / "(17)" into number and name.
    bool SplitGenre(int16_t& GenreID, std::string& GenreDescription) override;
    // True when id3lib can be used; otherwise false and a two-line message.
    bool CheckLibrary(std::string& message) override;

    const std::string& FileName() const { return m_fileName; }
    // Why the last UpdateTag or StripTag failed ("" after a success).
    const std::string& LastFailure() const override { return m_failure; }

    // What the version 2.3 reader uses: attaching to a file whose tag was
    // already read into the frame model (null: read it), and the fields of
    // the field table.
    void Attach(const std::string& fileName, std::shared_ptr<const TagContents> contents) override;
    std::string FieldValue(TagField field) const override;
    void SetFieldValue(TagField field, const std::string& value) override;
    PicturePtr FieldPicture() const override { return Picture(); }
    void SetFieldPicture(PicturePtr picture) override { setPicture(std::move(picture)); }

    // Finds the first frame of that type and description and changes its
    // value; "" deletes it; a missing frame is added (unless the value is "").
    void SetFrameValue(ID3_FrameID type, const TagValue& value, const std::string& descriptor = "");
    void SetFramePicture(ID3_FrameID type, PicturePtr picture, const std::string& descriptor = "");
    PicturePtr GetFramePicture(ID3_FrameID type, const std::string& descriptor = "") const;
    // The frame list becomes a new, empty collection.
    void ClearFrames();

    // Removes leading, then trailing characters that occur in the set.
    static std::string TrimChars(const std::string& text, const std::string& set);

    static constexpr const char* kTempo = "MusicMatch_Tempo";
    static constexpr const char* kMood = "MusicMatch_Mood";
    static constexpr const char* kSituation = "MusicMatch_Situation";
    static constexpr const char* kPreference = "MusicMatch_Preference";

private:
    struct PlanEntry;
    using Plan = std::vector<PlanEntry>;
    enum class Fill { Written, Failed };

    std::string Text(ID3_FrameID type, const std::string& descriptor = "") const {
        return FrameValue(type, descriptor).ToString();
    }
    ID3V230FramePtr FindFrame(ID3_FrameID type, const std::string& descriptor) const;
    void AddFrameObject(ID3_FrameID type, const TagValue& value, const std::string& descriptor,
                        PicturePtr picture);
    void ReplaceQuotes();
    void MergeDuplicates();
    void ReleaseLoadState();
    // Takes the frames of a tag read into the frame model.
    void LoadContents(std::shared_ptr<const TagContents> contents);
    bool Edited(const ID3V230Frame& frame) const;
    bool FromThisLoad(const ID3V230Frame& frame) const;
    // The new tag, in phases: which record or frame object goes where, the
    // frames id3lib renders, and the tag of them all, padded as the tag
    // writer pads a tag that replaces one of `oldSize` bytes (0: none).
    Bytes BuildTag(const ID3LibBinding& lib, const std::string& folder, size_t oldSize);
    Plan PlanTag() const;
    void RenderFrames(const ID3LibBinding& lib, const std::string& folder, Plan& plan);
    Bytes AssembleTag(const Plan& plan, size_t oldSize) const;
    Fill FillFrame(const ID3LibBinding& lib, void* frame, const ID3V230Frame& values, bool fromSource);
    // Stores a value in a field of an id3lib frame; a missing field shows a
    // message and gives false.
    bool id3SetField(void* frame, const TagValue& value, ID3_FieldID fieldID);

    bool m_hadError = false;
    std::string m_errorDescription;
    std::string m_fileName;
    int16_t m_frameCount = 0;
    int32_t m_framesSize = 0;
    std::shared_ptr<Collection<ID3V230Frame>> m_frames;
    std::string m_failure;
    bool m_unreadable = false;  // the last load refused the file's tag

    // The file's tag as the last load read it into the frame model, with
    // the lIndex of the frame object each frame record belongs to (0 for
    // records whose content is unknown, which are carried over as they are).
    uint64_t m_loadId = 0;
    std::shared_ptr<const TagContents> m_contents;
    std::vector<int32_t> m_recordOwner;
    // A version 2.2 tag loaded in its version 2.3 form: its frames that have
    // no such form (a save would lose them and is refused).
    std::vector<std::string> m_unconvertible;
};

using ID3V230Ptr = std::shared_ptr<ID3V230>;

}  // namespace korvel
