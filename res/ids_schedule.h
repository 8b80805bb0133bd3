// Resource ids of the schedule.
#pragma once
