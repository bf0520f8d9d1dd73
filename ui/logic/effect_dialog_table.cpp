#include "ui/logic/effect_dialog_table.h"

#include <array>

#include "render/effects/effect_record.h"

namespace vornel {

namespace {

using K = ControlKind;

// The offset pair every placed effect has: p4 moves down, p3 moves right. The vertical
// one stands upright with -20 at the top, so the thumb goes the way the effect does.
GroupSpec offsetPair(const char* title, const char* horizontal, BoxRule rule = BoxRule::Store) {
  return {title,
          {{.label = "Vertical",
            .param = 4,
            .minimum = -20,
            .maximum = 20,
            .vertical = true,
            .rule = rule},
           {.label = horizontal, .param = 3, .minimum = -20, .maximum = 20, .rule = rule}}};
}

ControlSpec slider(const char* label, int param, int minimum, int maximum, int page,
                   BoxFormat format = BoxFormat::Integer) {
  return {.label = label,
          .param = param,
          .minimum = minimum,
          .maximum = maximum,
          .page = page,
          .format = format};
}

ControlSpec color(const char* label, int param, const char* button = nullptr) {
  return {.kind = K::Color, .label = label, .param = param, .button = button};
}

std::array<DialogSpec, kEffectTypeCount> makeTable() {
  std::array<DialogSpec, kEffectTypeCount> t;

  t[kSingleColor] = {kSingleColor,
                     "Effect : Draw",
                     {offsetPair("Offset", "Holizontal"),
                      {"Select Texture",
                       {{.kind = K::Radio, .label = "SingleColor", .param = 5, .value = 2},
                        {.kind = K::Radio, .label = "Bitmap(tile)", .param = 5, .value = 4},
                        {.kind = K::Radio, .label = "Bitmap(streach)", .param = 5, .value = 5},
                        color("Color", 1),
                        {.kind = K::TextureName, .label = "Bitmap"}}}},
                     PreviewKind::Effect};

  t[kOutLine] = {
      kOutLine,
      "Effect : Outline",
      {offsetPair("Offset", "Holizontal"),
       {"Attribute",
        {slider("Thickness", 5, 0, 10, 1, BoxFormat::Digits), color("Color", 1, "Change")}}},
      PreviewKind::Effect};

  ControlSpec blur = slider("Blur", 6, 0, 10, 1);
  blur.rule = BoxRule::BelowThirtyTwo;
  t[kDropShadow] = {
      kDropShadow,
      "Effect : Drop Shadow",
      {offsetPair("Offset", "Horizontal"),
       {"Attribute", {color("Color", 1, "Change"), slider("&Opacity", 5, 0, 200, 10), blur}}},
      PreviewKind::Effect};

  t[kLinearGradient] = {
      kLinearGradient,
      "Gradient",
      {offsetPair("Offset", "Holizontal"),
       {"Attribute", {color("Color1", 1), color("Color2", 2), slider("Size", 6, 1, 200, 4)}},
       {"Direction",
        {{.kind = K::DirectionPicker, .label = "Direction", .param = 5},
         {.kind = K::AngleBox, .label = "Angle", .param = 5, .format = BoxFormat::Decimal}}}},
      PreviewKind::Effect};

  t[kDepthField] = {
      kDepthField,
      "Depth of field",
      {{"Attribute", {slider("&Opacity", 5, 1, 200, 10), slider("Blur", 6, 1, 10, 1)}}},
      PreviewKind::None};

  t[kDisturbTemplet] = {kDisturbTemplet,
                        "Distort Templet : Sine & Cosine",
                        {{"Vertical",
                          {{.kind = K::List,
                            .label = "Type",
                            .param = 5,
                            .items = {"Original Font", "sin(x)", "sin(y)", "sin(x,y)", "Fractal(x)",
                                      "Fractal(y)", "Fractal(x,y)", "Random Dot"}},
                           slider("Wavelength", 6, 1, 600, 10),
                           slider("Amplitude", 7, 1, 1000, 10)}}},
                        PreviewKind::TextOverEffect};

  // The star sample does not move with the offsets: their boxes store without one.
  t[kStarFilter] = {
      kStarFilter,
      "Effect : Star Filtering",
      {offsetPair("Offset", "Holizontal", BoxRule::StoreWithoutPreview),
       {"Star Filter Option",
        {slider("Intensity", 6, 1, 20, 2),
         {.kind = K::List,
          .label = "Type",
          .param = 2,
          .items = {"only blur effect", "blur with steak line", "blur with diagonal steak lne"}},
         color("Color", 1, "Color")}}},
      PreviewKind::Star};

  t[kTile] = {kTile,
              "Effect : Tile",
              {{"Static",
                {{.kind = K::EmptyBox, .label = "Size X"},
                 {.kind = K::EmptyBox, .label = "Size Y"},
                 {.kind = K::TileTexture, .label = "Texture"},
                 {.kind = K::TilePicture, .label = "Picture"}}}},
              PreviewKind::Tile};

  t[k3dSingleColor] = {k3dSingleColor,
                       "Effect : 3D Single Color",
                       {offsetPair("Location", "Holizontal", BoxRule::ShowOnly),
                        {"3D Option",
                         {color("Color", 1, "Color"),
                          {.kind = K::ShapeButton, .label = "Change 3D Modeling Option"}}}},
                       PreviewKind::Effect};

  ControlSpec hiddenColor = color("Color", 1, "Color");
  hiddenColor.hidden = true;
  t[kRoundBoxEffect] = {kRoundBoxEffect,
                        "Effect : Rectangle",
                        {{"Static",
                          {slider("Size X(dot)", 5, 0, 2000, 100, BoxFormat::Tenths),
                           slider("Size Y(dot)", 6, 0, 2000, 100, BoxFormat::Tenths),
                           slider("Round X(%)", 7, 0, 1000, 2, BoxFormat::Tenths),
                           slider("Round Y(%)", 8, 0, 1000, 2, BoxFormat::Tenths), hiddenColor}}},
                        PreviewKind::TextOverEffect};

  t[kFog] = {kFog,
             "Effect : Fog",
             {offsetPair("Location", "Holizontal"),
              {"Attribute",
               {color("Color", 1, "Color"),
                slider("Intensity", 12, 0, 200, 10, BoxFormat::Decimal),
                slider("Size", 11, 1, 300, 10, BoxFormat::Decimal),
                {.kind = K::ShapeButton, .label = "Change Fog General Density"}}}},
             PreviewKind::Effect};

  t[kSpace] = {
      kSpace,
      "Effect : Space",
      {offsetPair("Location", "Holizontal"),
       {"Star Option", {slider("Intensity", 6, 0, 1000, 10), slider("Size", 5, 1, 400, 10)}}},
      PreviewKind::Effect};

  t[kCutOut] = {kCutOut,
                "Effect : Cut Out",
                {offsetPair("Offset", "Holizontal"),
                 {"Attribute",
                  {color("Color", 1, "Change"), slider("&Opacity", 5, 0, 300, 10),
                   slider("Blur", 6, 0, 10, 1)}}},
                PreviewKind::Effect};
  return t;
}

}  // namespace

const DialogSpec* effectDialogSpec(std::int32_t type) {
  static const std::array<DialogSpec, kEffectTypeCount> table = makeTable();
  if (type < 0 || type >= kEffectTypeCount) return nullptr;
  return &table[static_cast<std::size_t>(type)];
}

std::vector<const ControlSpec*> dialogSliders(const DialogSpec& dialog) {
  std::vector<const ControlSpec*> sliders;
  for (const GroupSpec& group : dialog.groups)
    for (const ControlSpec& control : group.controls)
      if (control.kind == ControlKind::Slider) sliders.push_back(&control);
  return sliders;
}

}  // namespace vornel
