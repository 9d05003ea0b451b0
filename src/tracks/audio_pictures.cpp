#include "tracks/audio_pictures.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/trueaudiofile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

namespace sleevemaster {

using namespace tracks_detail;

namespace {

// Keeps the better of what was seen and a new picture; the first of equal rank stays.
class PictureChoice {
 public:
  explicit PictureChoice(bool withBytes) : with_bytes_(withBytes) {}

  void Offer(PictureRank rank, const TagLib::ByteVector& data) {
    if (rank <= best_.Rank || data.isEmpty())
      return;
    best_.Rank = rank;
    if (with_bytes_)
      best_.Bytes.assign(data.data(), data.size());
  }
  EmbeddedPicture Take() { return std::move(best_); }

 private:
  bool with_bytes_;
  EmbeddedPicture best_;
};

PictureRank RankOfType(int type, int frontCover, int other) {
  if (type == frontCover)
    return PictureRank::FrontCover;
  return type == other ? PictureRank::Untyped : PictureRank::None;
}

void OfferFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures,
                       PictureChoice& choice) {
  for (const TagLib::FLAC::Picture* picture : pictures)
    if (picture)
      choice.Offer(RankOfType(picture->type(), TagLib::FLAC::Picture::FrontCover,
                              TagLib::FLAC::Picture::Other),
                   picture->data());
}

void OfferId3v2Pictures(const TagLib::ID3v2::Tag* tag, PictureChoice& choice) {
  if (!tag)
    return;
  const auto found = tag->frameListMap().find("APIC");
  if (found == tag->frameListMap().end())
    return;
  using Frame = TagLib::ID3v2::AttachedPictureFrame;
  for (const TagLib::ID3v2::Frame* frame : found->second)
    if (const auto* picture = dynamic_cast<const Frame*>(frame))
      choice.Offer(RankOfType(picture->type(), Frame::FrontCover, Frame::Other),
                   picture->picture());
}

// An APE cover item holds a file name, a zero byte, then the picture.
void OfferApePicture(const TagLib::APE::Tag* tag, PictureChoice& choice) {
  if (!tag)
    return;
  const auto found = tag->itemListMap().find("COVER ART (FRONT)");
  if (found == tag->itemListMap().end())
    return;
  const TagLib::ByteVector value = found->second.binaryData();
  const int zero = value.find('\0');
  if (zero >= 0)
    choice.Offer(PictureRank::FrontCover, value.mid(static_cast<unsigned>(zero) + 1));
}

}  // namespace

EmbeddedPicture tracks_detail::BestEmbeddedPicture(TagLib::File& file, bool withBytes) {
  PictureChoice choice(withBytes);
  if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) {
    OfferFlacPictures(flac->pictureList(), choice);
    // Some encoders put the picture into the Vorbis comment instead of a block of its own.
    if (flac->hasXiphComment())
      OfferFlacPictures(flac->xiphComment()->pictureList(), choice);
  } else if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag())) {
    OfferFlacPictures(xiph->pictureList(), choice);
  } else if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) {
    OfferId3v2Pictures(mpeg->ID3v2Tag(), choice);
    OfferApePicture(mpeg->APETag(), choice);
  } else if (auto* tta = dynamic_cast<TagLib::TrueAudio::File*>(&file)) {
    OfferId3v2Pictures(tta->ID3v2Tag(), choice);
  } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file)) {
    OfferId3v2Pictures(wav->ID3v2Tag(), choice);
  } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file)) {
    OfferId3v2Pictures(aiff->tag(), choice);
  } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) {
    if (const TagLib::MP4::Tag* tag = mp4->tag(); tag && tag->contains("covr"))
      for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList())
        choice.Offer(PictureRank::FrontCover, art.data());
  } else if (auto* wavpack = dynamic_cast<TagLib::WavPack::File*>(&file)) {
    OfferApePicture(wavpack->APETag(), choice);
  } else if (auto* ape = dynamic_cast<TagLib::APE::File*>(&file)) {
    OfferApePicture(ape->APETag(), choice);
  } else if (auto* mpc = dynamic_cast<TagLib::MPC::File*>(&file)) {
    OfferApePicture(mpc->APETag(), choice);
  }
  return choice.Take();
}

std::optional<std::string> tracks_detail::ReadEmbeddedPicture(AudioFileStream& stream) {
  const std::optional<AudioStart> start = RecogniseAudio(stream);
  if (!start)
    return std::nullopt;
  stream.seek(0);
  stream.LimitFurtherReads(kParserReadLimit + static_cast<std::uint64_t>(start->LeadingTags));
  const std::unique_ptr<TagLib::File> file =
      OpenAudioParser(start->Kind, stream, /*properties*/ false);
  if (!file || !file->isValid() || stream.Stopped())
    return std::nullopt;
  EmbeddedPicture picture = BestEmbeddedPicture(*file, /*withBytes*/ true);
  if (picture.Rank == PictureRank::None || stream.Stopped())
    return std::nullopt;
  return std::move(picture.Bytes);
}

std::optional<std::string> ReadEmbeddedPicture(const std::string& path, const CancelFlag* cancel) {
  const std::unique_ptr<AudioFileStream> stream = AudioFileStream::Open(path, cancel);
  if (!stream)
    return std::nullopt;
  std::optional<std::string> picture = tracks_detail::ReadEmbeddedPicture(*stream);
  // A reading cut short by Cancel may have stopped anywhere: nothing of it is kept.
  return CancelRequested(cancel) ? std::nullopt : std::move(picture);
}

}  // namespace sleevemaster
