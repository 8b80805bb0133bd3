// Resource ids of the shell.
#pragma once
