#pragma once

// The commands of the tree, by their menu and key identifiers.
enum class TreeCommand {
  Open = 32782,
  Rename = 32784,
  Delete = 32783,
  NewSubfolder = 32900,
  NewRootFolder = 32901,
  CombineToTiff = 32773,
  ConvertToPdfCompressed = 32772,
  ConvertToPdfUncompressed = 32771,
  ExploreHere = 32775,
  Properties = 32785,
  UpOneLevel = 32778,
  Back = 32803,
  Forward = 32804,
  Refresh = 32790,
};
