#pragma once

class MemoryClock;
class Store;

// Fills a store with a library of 60 mixed items such as a person keeps over
// a few weeks: notes and snippets, links with page previews and site icons,
// pictures, and documents with and without thumbnails, some tagged by hand.
// Leaves the clock at a moment shortly after the newest item.
void fillSampleLibrary(Store& store, MemoryClock& clock);
