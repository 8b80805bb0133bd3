// Resource ids of the recorder.
#pragma once
