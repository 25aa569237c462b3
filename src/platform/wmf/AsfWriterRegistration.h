#pragma once
// Makes the ASF writer available by its class id (CLSID_WMAsfWriter). Connect and Render never
// pick it on their own. Call once at start-up, before any graph is built.

void RegisterAsfWriter();
