// Resource ids of the editor.
#pragma once
